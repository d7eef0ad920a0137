#include "LogFolder.h"

#include <windows.h>
#include <shlobj.h>
#define STRSAFE_NO_DEPRECATE
#include <strsafe.h>
#include <vector>

namespace {

std::wstring ProgramPath()
{
    wchar_t szPath[MAX_PATH * 2];
    const DWORD cchPath = GetModuleFileNameW(nullptr, szPath, ARRAYSIZE(szPath));
    return (cchPath == 0 || cchPath >= ARRAYSIZE(szPath)) ? std::wstring() : std::wstring(szPath, cchPath);
}

bool IsSystemAccount()
{
    wchar_t szUser[127] = L"";
    DWORD cchUser = ARRAYSIZE(szUser);
    if (!GetUserNameW(szUser, &cchUser))
        return false;
    return wcscmp(szUser, L"SYSTEM") == 0 || wcscmp(szUser, L"SYST\u00C8ME") == 0 || wcscmp(szUser, L"Syst\u00E8me") == 0;
}

// A version-resource text of the program file in its first translation.
std::wstring VersionText(const std::wstring& _strFile, const wchar_t* _pszName)
{
    DWORD dwHandle = 0;
    const DWORD cbInfo = GetFileVersionInfoSizeW(_strFile.c_str(), &dwHandle);
    if (cbInfo == 0)
        return std::wstring();
    std::vector<BYTE> vecInfo(cbInfo);
    if (!GetFileVersionInfoW(_strFile.c_str(), 0, cbInfo, vecInfo.data()))
        return std::wstring();
    struct Translation { WORD wLanguage, wCodePage; }* pTranslation = nullptr;
    UINT cbTranslation = 0;
    if (!VerQueryValueW(vecInfo.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&pTranslation), &cbTranslation) ||
        cbTranslation < sizeof(Translation))
        return std::wstring();
    wchar_t szKey[128];
    StringCchPrintfW(szKey, ARRAYSIZE(szKey), L"\\StringFileInfo\\%04x%04x\\%s", pTranslation->wLanguage, pTranslation->wCodePage, _pszName);
    wchar_t* pszValue = nullptr;
    UINT cchValue = 0;
    if (!VerQueryValueW(vecInfo.data(), szKey, reinterpret_cast<void**>(&pszValue), &cchValue) || !pszValue)
        return std::wstring();
    return pszValue;
}

// The host's rule for one version text as a folder name: shorter than 2 characters is
// skipped; a trailing blank is cut (two trailing blanks skip the text); otherwise all
// blanks are removed.
void AppendPathPart(std::wstring& _strPath, std::wstring _strPart)
{
    if (_strPart.size() < 2)
        return;
    if (_strPart.back() == L' ')
    {
        _strPart.pop_back();
        if (!_strPart.empty() && _strPart.back() == L' ')
            return;
    }
    else
    {
        std::wstring strCompact;
        for (const wchar_t ch : _strPart)
        {
            if (ch != L' ')
                strCompact += ch;
        }
        _strPart = strCompact;
    }
    _strPath += _strPart + L"\\";
}

} // namespace

std::wstring HostLogFolder()
{
    const std::wstring strProgram = ProgramPath();
    if (IsSystemAccount())
        return strProgram.substr(0, strProgram.find_last_of(L'\\') + 1) + L"LOG";
    wchar_t szAppData[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, szAppData);
    std::wstring strFolder = szAppData;
    if (!strFolder.empty() && strFolder.back() != L'\\')
        strFolder += L'\\';
    strFolder += L"orvex\\";
    AppendPathPart(strFolder, VersionText(strProgram, L"ProductName"));
    AppendPathPart(strFolder, VersionText(strProgram, L"FileDescription"));
    return strFolder + L"LOG";
}
