#include "host/ProgramPath.h"

#include <strsafe.h>

bool BuildProgramPath(const wchar_t* _pszRelative, wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szProgram[MAX_PATH + 1] = L"";
    const DWORD dwLength = GetModuleFileNameW(nullptr, szProgram, MAX_PATH + 1);
    wchar_t* pszSlash = wcsrchr(szProgram, L'\\');
    if (dwLength == 0 || dwLength > MAX_PATH || !pszSlash)
    {
        _pszOut[0] = 0;
        return false;
    }
    pszSlash[1] = 0;
    if (FAILED(StringCchCopyW(_pszOut, _cchOut, szProgram)) || FAILED(StringCchCatW(_pszOut, _cchOut, _pszRelative)))
    {
        _pszOut[0] = 0;
        return false;
    }
    return true;
}
