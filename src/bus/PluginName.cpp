#include "bus/PluginName.h"

#include <windows.h>
#include <shlwapi.h>
#include <strsafe.h>

void NormalizePluginName(const wchar_t* _pszFile, wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szName[512];
    StringCchCopyW(szName, ARRAYSIZE(szName), _pszFile ? _pszFile : L"");
    CharUpperBuffW(szName, static_cast<DWORD>(wcslen(szName)));
    StringCchCopyW(_pszOut, _cchOut, szName);
    if (!StrStrW(_pszOut, L".DLL"))
        StringCchCatW(_pszOut, _cchOut, L".DLL");
}

bool IsPlainFileName(const wchar_t* _pszName)
{
    return _pszName[0] != L'\0' && !wcspbrk(_pszName, L"\\/:");
}

bool IsEmptyPluginName(const wchar_t* _pszUpperName)
{
    return wcscmp(_pszUpperName, L".DLL") == 0;
}
