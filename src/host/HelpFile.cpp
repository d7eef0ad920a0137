#include "host/HelpFile.h"

#include <windows.h>
#include <strsafe.h>

static const wchar_t s_szDefaultHelpFile[] = L"QELMARIS.CHM";

void BuildHelpFileName(const wchar_t* _pszProductName, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchCopyW(_pszOut, _cchOut, s_szDefaultHelpFile);
    if (_pszProductName == nullptr || _pszProductName[0] == 0)
        return;
    wchar_t szName[512] = L"";
    size_t nLength = 0;
    for (const wchar_t* p = _pszProductName; *p && nLength + 1 < ARRAYSIZE(szName); ++p)
        if (*p != L' ')
            szName[nLength++] = *p;
    szName[nLength] = 0;
    CharUpperW(szName);
    StringCchCatW(szName, ARRAYSIZE(szName), L".CHM");
    if (GetFileAttributesW(szName) != INVALID_FILE_ATTRIBUTES)
        StringCchCopyW(_pszOut, _cchOut, szName);
}
