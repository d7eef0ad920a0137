// Service control manager operations for the service "Telvarin".
#pragma once
#include <windows.h>

#define TVR_SERVICE_NAME L"Telvarin"

int InstallService(DWORD _dwTypeBits, const wchar_t* _pszName, const wchar_t* _pszPath, DWORD _dwStartType,
                   const wchar_t* _pszDependencies, const wchar_t* _pszDescription, const wchar_t* _pszDisplayName);
BOOL DeleteServiceEntry(const wchar_t* _pszName);
BOOL StartOrControlService(DWORD _dwControl, const wchar_t* _pszName, DWORD _dwManagerAccess, DWORD _dwServiceAccess);
int ServiceExists(const wchar_t* _pszName);
DWORD QueryServiceState(const wchar_t* _pszName);
void RemoveService(const wchar_t* _pszName);
const wchar_t* GetServiceImagePath(const wchar_t* _pszName);
const wchar_t* GetServiceStateName(DWORD _dwState);
