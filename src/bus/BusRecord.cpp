// scaffold: replaced by the owning subsystem
#include "bus/BusRecord.h"
int PostBusRecord(HWND, BOOL, UINT, const wchar_t*) { return 0; }
int SendBusType(HWND, BOOL, UINT) { return 0; }
int PostMenuCommandRecord(HWND, BOOL, UINT, UINT) { return 0; }
void PostTraceRecord(HWND, UINT, const wchar_t*, DWORD) {}
void PostShowConfigRecord(HWND, UINT) {}
void PostPluginInitiatedRecord(HWND, UINT, UINT) {}
void PostLastErrorRecord(HWND, const wchar_t*) {}
void PostSchemeRecord(HWND, UINT, const wchar_t*, const wchar_t*) {}
void PostVersionInfoRecord(HWND, const wchar_t*, const wchar_t*) {}
bool IsOwnGlobalBlock(LPARAM) { return false; }
const wchar_t* RecordOfBlock(LPARAM) { return L""; }
void ReleaseBusBlock(LPARAM) {}
bool ForwardSetTextRecord(HWND, WPARAM, const wchar_t*) { return false; }
