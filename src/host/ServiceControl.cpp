// scaffold: replaced by the owning subsystem
#include "host/ServiceControl.h"
int InstallService(DWORD, const wchar_t*, const wchar_t*, DWORD, const wchar_t*, const wchar_t*, const wchar_t*) { return 0; }
BOOL DeleteServiceEntry(const wchar_t*) { return FALSE; }
BOOL StartOrControlService(DWORD, const wchar_t*, DWORD, DWORD) { return FALSE; }
int ServiceExists(const wchar_t*) { return 0; }
DWORD QueryServiceState(const wchar_t*) { return 0; }
void RemoveService(const wchar_t*) {}
const wchar_t* GetServiceImagePath(const wchar_t*) { return L""; }
const wchar_t* GetServiceStateName(DWORD) { return L"UNKNOWN"; }
