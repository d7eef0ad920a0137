#include "config/VersionTool.h"

#include <strsafe.h>
#include <cstring>
#include <initializer_list>
#include <memory>
#include <new>

#include "base/ProgramPath.h"

namespace {

const size_t PROGRAM_PATH_CCH = 260;
const size_t STRING_LIMIT = 127;   // every version string, terminator included

// German Unicode, German Windows-1252, US English Unicode, language-neutral Unicode.
const wchar_t* const STRING_BLOCKS[] = {L"\\StringFileInfo\\040704b0\\", L"\\StringFileInfo\\040704e4\\",
                                        L"\\StringFileInfo\\040904b0\\", L"\\StringFileInfo\\000004b0\\"};

void FormatVersion(DWORD _dwMost, DWORD _dwLeast, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchPrintfW(_pszOut, _cchOut, L"%d.%d.%d.%d", HIWORD(_dwMost), LOWORD(_dwMost), HIWORD(_dwLeast),
                     LOWORD(_dwLeast));
}

// The string from the first block that holds it; stays empty when none does.
void CopyVersionString(const void* _pInfo, const wchar_t* _pszName, wchar_t* _pszOut)
{
    for (const wchar_t* pszBlock : STRING_BLOCKS)
    {
        wchar_t szQuery[128];
        StringCchPrintfW(szQuery, ARRAYSIZE(szQuery), L"%s%s", pszBlock, _pszName);
        void* pValue = nullptr;
        UINT cchValue = 0;
        if (VerQueryValueW(_pInfo, szQuery, &pValue, &cchValue) && pValue != nullptr)
        {
            StringCchCopyNW(_pszOut, STRING_LIMIT, static_cast<const wchar_t*>(pValue), cchValue);
            return;
        }
    }
}

}   // namespace

CVersionTool::CVersionTool(HMODULE _hModule)
{
    wchar_t szPath[PROGRAM_PATH_CCH] = L"";
    CopyModulePath(_hModule, szPath, PROGRAM_PATH_CCH);
    Read(szPath);
}

CVersionTool::CVersionTool(const wchar_t* _pszPath)
{
    Read(_pszPath);
}

void CVersionTool::Read(const wchar_t* _pszPath)
{
    for (wchar_t* pszText : {m_szProductVersion, m_szFileVersion, m_szFileDescription, m_szProductName, m_szComments,
                             m_szOriginalFilename})
        pszText[0] = 0;
    if (GetFileAttributesW(_pszPath) == INVALID_FILE_ATTRIBUTES)
        return;
    DWORD dwHandle = 0;
    const DWORD cbInfo = GetFileVersionInfoSizeW(_pszPath, &dwHandle);
    if (cbInfo == 0)
        return;
    std::unique_ptr<BYTE[]> pInfo(new (std::nothrow) BYTE[cbInfo + 4]());
    if (!pInfo || !GetFileVersionInfoW(_pszPath, 0, cbInfo, pInfo.get()))
        return;

    void* pFixed = nullptr;
    UINT cbFixed = 0;
    if (VerQueryValueW(pInfo.get(), L"\\", &pFixed, &cbFixed) && cbFixed >= sizeof(m_FixedInfo))
    {
        memcpy(&m_FixedInfo, pFixed, sizeof(m_FixedInfo));
        FormatVersion(m_FixedInfo.dwProductVersionMS, m_FixedInfo.dwProductVersionLS, m_szProductVersion,
                      ARRAYSIZE(m_szProductVersion));
        FormatVersion(m_FixedInfo.dwFileVersionMS, m_FixedInfo.dwFileVersionLS, m_szFileVersion,
                      ARRAYSIZE(m_szFileVersion));
    }
    CopyVersionString(pInfo.get(), L"FileDescription", m_szFileDescription);
    CopyVersionString(pInfo.get(), L"ProductName", m_szProductName);
    CopyVersionString(pInfo.get(), L"Comments", m_szComments);
    CopyVersionString(pInfo.get(), L"OriginalFilename", m_szOriginalFilename);
}
