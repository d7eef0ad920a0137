#include "config/ConfigPath.h"

#include <windows.h>
#include <shlwapi.h>
#include <strsafe.h>
#include <cwchar>

void CopyBaseName(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchCopyW(_pszOut, _cchOut, PathFindFileNameW(_pszPath));
    wchar_t* pszDot = wcsrchr(_pszOut, L'.');
    if (pszDot != nullptr)
        *pszDot = 0;
}

void CopyFolderOf(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut)
{
    const wchar_t* pszName = PathFindFileNameW(_pszPath);
    StringCchCopyNW(_pszOut, _cchOut, _pszPath, static_cast<size_t>(pszName - _pszPath));
    AppendBackslash(_pszOut, _cchOut);
}

void CopyIniPathOf(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchCopyW(_pszOut, _cchOut, _pszPath);
    const size_t cch = wcslen(_pszOut);
    if (cch >= 3)
        StringCchCopyW(_pszOut + cch - 3, _cchOut - (cch - 3), L"INI");
}

void AppendBackslash(wchar_t* _pszPath, size_t _cchPath)
{
    const size_t cch = wcslen(_pszPath);
    if (cch > 0 && _pszPath[cch - 1] != L'\\')
        StringCchCatW(_pszPath, _cchPath, L"\\");
}

void CreateFolderPath(const wchar_t* _pszFolder)
{
    wchar_t szPart[512];
    // Skip the drive ("C:\") or server part; each later backslash ends one folder to create.
    const wchar_t* pszStart = PathSkipRootW(_pszFolder);
    if (pszStart == nullptr)
        return;
    for (const wchar_t* psz = pszStart;; ++psz)
    {
        if (*psz == L'\\' || *psz == 0)
        {
            if (SUCCEEDED(
                    StringCchCopyNW(szPart, ARRAYSIZE(szPart), _pszFolder, static_cast<size_t>(psz - _pszFolder))))
                CreateDirectoryW(szPart, nullptr);
        }
        if (*psz == 0)
            break;
    }
}
