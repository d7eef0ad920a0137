#include "base/ProgramPath.h"

#include <strsafe.h>

namespace {
// The longest path the system's wide file functions accept.
const DWORD LONGEST_PATH_CCH = 32768;
}   // namespace

std::wstring GetModulePath(HMODULE _hModule)
{
    std::wstring strPath(MAX_PATH, L'\0');
    for (;;)
    {
        const DWORD cchPath = GetModuleFileNameW(_hModule, &strPath[0], static_cast<DWORD>(strPath.size()));
        if (cchPath == 0)
            return std::wstring();
        if (cchPath < strPath.size())
        {
            strPath.resize(cchPath);
            return strPath;
        }
        if (strPath.size() >= LONGEST_PATH_CCH)
            return std::wstring();
        strPath.resize(LONGEST_PATH_CCH);   // cut: ask again with room for the longest path
    }
}

bool CopyModulePath(HMODULE _hModule, wchar_t* _pszOut, size_t _cchOut)
{
    if (_cchOut == 0)
        return false;
    const std::wstring strPath = GetModulePath(_hModule);
    if (strPath.empty() || FAILED(StringCchCopyW(_pszOut, _cchOut, strPath.c_str())))
    {
        _pszOut[0] = 0;
        return false;
    }
    return true;
}

std::wstring GetProgramFolder()
{
    std::wstring strPath = GetModulePath(nullptr);
    const size_t uSeparator = strPath.find_last_of(L"\\/");
    strPath.resize(uSeparator == std::wstring::npos ? 0 : uSeparator + 1);
    return strPath;
}

bool BuildProgramPath(const wchar_t* _pszRelative, wchar_t* _pszOut, size_t _cchOut)
{
    const std::wstring strFolder = GetProgramFolder();
    if (strFolder.empty() || FAILED(StringCchCopyW(_pszOut, _cchOut, strFolder.c_str())) ||
        FAILED(StringCchCatW(_pszOut, _cchOut, _pszRelative)))
    {
        _pszOut[0] = 0;
        return false;
    }
    return true;
}

bool FileExists(const wchar_t* _pszPath)
{
    const DWORD dwAttributes = GetFileAttributesW(_pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && !(dwAttributes & FILE_ATTRIBUTE_DIRECTORY);
}
