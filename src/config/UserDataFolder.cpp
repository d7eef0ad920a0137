#include "config/UserDataFolder.h"

#include <windows.h>
#include <shlobj.h>
#include <strsafe.h>
#include <cwchar>

#include "base/ProgramPath.h"
#include "config/ConfigPath.h"
#include "config/RegIniAccess.h"
#include "config/VersionTool.h"
#include "base/Account.h"

namespace {

const size_t PATH_CCH = 512;
const size_t PATH_LIMIT = 511;   // bound of every path, terminator included
const size_t USER_NAME_CCH = 127;

wchar_t g_szUserDataFolder[PATH_CCH];

bool IsBlank(wchar_t _ch)
{
    return _ch == L' ';
}

void CopyRoamingAppData(wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szFolder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_DEFAULT, szFolder);
    if (szFolder[0] == 0)
        SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    StringCchCopyW(_pszOut, _cchOut, szFolder);
}

bool KeepsDataPerUser(const SUserDataSource& _source)
{
    if (_source.pszUserName[0] == 0 || IsSystemAccountName(_source.pszUserName))
        return false;
    wchar_t szBaseName[PATH_CCH];
    CopyBaseName(_source.pszProgramFile, szBaseName, PATH_LIMIT);
    return !IsConfigToolName(szBaseName);
}

}   // namespace

void AppendPathPart(wchar_t* _pszPath, size_t _cchPath, const wchar_t* _pszPart)
{
    wchar_t szPart[128];
    StringCchCopyW(szPart, ARRAYSIZE(szPart), _pszPart);
    size_t cch = wcslen(szPart);
    if (cch < 2)
        return;
    if (IsBlank(szPart[cch - 1]))
    {
        szPart[--cch] = 0;
        if (IsBlank(szPart[cch - 1]))
            return;
    }
    wchar_t* pszOut = szPart;
    for (const wchar_t* psz = szPart; *psz; ++psz)
        if (!IsBlank(*psz))
            *pszOut++ = *psz;
    *pszOut = 0;
    StringCchCatW(_pszPath, _cchPath, szPart);
    StringCchCatW(_pszPath, _cchPath, L"\\");
}

bool IsConfigToolName(const wchar_t* _pszBaseName)
{
    return CompareStringOrdinal(_pszBaseName, -1, L"QELCONFIG", -1, TRUE) == CSTR_EQUAL ||
           CompareStringOrdinal(_pszBaseName, -1, L"TVRCONFIG", -1, TRUE) == CSTR_EQUAL;
}

void BuildUserDataFolder(const SUserDataSource& _source, const wchar_t* _pszSubFolder, wchar_t* _pszOut, size_t _cchOut)
{
    if (KeepsDataPerUser(_source))
    {
        CopyRoamingAppData(_pszOut, _cchOut);
        AppendBackslash(_pszOut, _cchOut);
        StringCchCatW(_pszOut, _cchOut, L"orvex\\");
        AppendPathPart(_pszOut, _cchOut, _source.pszProductName);
        AppendPathPart(_pszOut, _cchOut, _source.pszFileDescription);
    }
    else
    {
        CopyFolderOf(_source.pszProgramFile, _pszOut, _cchOut);
    }
    StringCchCatW(_pszOut, _cchOut, _pszSubFolder);
    const size_t cch = wcslen(_pszOut);
    if (cch > 0 && _pszOut[cch - 1] == L'\\')
        _pszOut[cch - 1] = 0;
}

const wchar_t* GetUserDataFolder(const wchar_t* _pszSubFolder)
{
    wchar_t szUserName[USER_NAME_CCH] = L"";
    DWORD cchUserName = USER_NAME_CCH;
    if (!GetUserNameW(szUserName, &cchUserName))
        szUserName[0] = 0;
    wchar_t szProgramFile[PATH_CCH] = L"";
    CopyModulePath(nullptr, szProgramFile, PATH_LIMIT);
    const CVersionTool version;
    const SUserDataSource source = {szUserName, szProgramFile, version.GetProductName(), version.GetFileDescription()};
    BuildUserDataFolder(source, _pszSubFolder, g_szUserDataFolder, PATH_LIMIT);
    return g_szUserDataFolder;
}

const wchar_t* GetConfigFolder()
{
    return GetUserDataFolder(L"CFG");
}

const wchar_t* GetLogFolder()
{
    return GetUserDataFolder(L"LOG");
}
