#include "config/RegIniAccess.h"

#include <strsafe.h>
#include <cstdarg>
#include <cwchar>

#include "base/ProgramPath.h"
#include "config/ConfigPath.h"
#include "config/IniFile.h"
#include "config/IniValueCodec.h"
#include "base/Account.h"

namespace {

const size_t PATH_LIMIT = 511;   // every path field, terminator included
const size_t VALUE_CCH = 8192;
const size_t VALUE_LIMIT = 8191;   // every value text, terminator included
// A registry value holds at most what the raw text keeps with its terminator.
const DWORD REGISTRY_VALUE_LIMIT_BYTES = VALUE_LIMIT * sizeof(wchar_t);
const size_t FILE_TEXT_CCH = VALUE_CCH + 2;   // the stored form and the quotes around it
const size_t ENVIRONMENT_CCH = 31;
const wchar_t PRESENCE_SENTINEL[] = L"{9B8D4A5A-780D-4437-A74D-CB9E88EA096D}";
const wchar_t REGISTRY_BASE[] = L"SOFTWARE\\orvex\\";

// Shared by every store of the process; the main thread is the only user.
wchar_t g_szReadResult[VALUE_CCH];
wchar_t g_szRawText[VALUE_CCH];
wchar_t g_szStagedText[VALUE_CCH];
wchar_t g_szFormattedText[VALUE_CCH];
wchar_t g_szFileText[FILE_TEXT_CCH];

bool IsEmpty(const wchar_t* _psz)
{
    return _psz == nullptr || _psz[0] == 0;
}

// Reads the key into the output (VALUE_CCH characters) when the file holds it; a missing key
// leaves an empty text and gives false. One read: the sentinel default marks a missing key,
// so a stored value equal to the sentinel counts as missing.
bool ReadIfPresent(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszOut, const wchar_t* _pszFile)
{
    GetPrivateProfileStringW(_pszSection, _pszKey, PRESENCE_SENTINEL, _pszOut, VALUE_CCH, _pszFile);
    if (wcscmp(_pszOut, PRESENCE_SENTINEL) != 0)
        return true;
    _pszOut[0] = 0;
    return false;
}

enum EProfileWrite
{
    PROFILE_WRITTEN,
    PROFILE_FAILED,
    PROFILE_REFUSED   // the file cannot hold the value whole: nothing was written
};

// Writes one key in a form the file keeps whole and flushes the file. A new file is made
// Unicode; in an older ANSI file a text the code page cannot hold goes in the hexadecimal
// form. An access-denied failure clears *_piResult.
EProfileWrite WriteProfileKey(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue,
                              const wchar_t* _pszFile, int* _piResult)
{
    const bool bHexForm = IsAnsiIniFile(_pszFile) && !FitsAnsiCodePage(_pszValue);
    if (!MakeStoredForm(_pszValue, bHexForm, g_szStagedText, VALUE_LIMIT) ||
        !QuoteForProfile(g_szStagedText, g_szFileText, FILE_TEXT_CCH))
        return PROFILE_REFUSED;
    CreateUnicodeIniFile(_pszFile);
    SetLastError(ERROR_SUCCESS);
    const BOOL bWritten = WritePrivateProfileStringW(_pszSection, _pszKey, g_szFileText, _pszFile);
    if (!bWritten && GetLastError() == ERROR_ACCESS_DENIED)
        *_piResult = 0;
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, _pszFile);
    return bWritten ? PROFILE_WRITTEN : PROFILE_FAILED;
}

}   // namespace

CRegIniAccess::CRegIniAccess()
    : m_szModuleIni{}, m_szProgramIni{}, m_szProgramName{}, m_szModuleName{}, m_szRegKey{}, m_szUserName{},
      m_szUserIni{}, m_bUseRegistry(0), m_bCreateFolder(1)
{
}

CRegIniAccess::~CRegIniAccess() = default;

void CRegIniAccess::Init(int _bCreateFolder)
{
    // The module that holds the store: the one containing this code.
    HMODULE hModule = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&g_szReadResult), &hModule);
    wchar_t szModuleFile[512] = L"";
    wchar_t szProgramFile[512] = L"";
    CopyModulePath(hModule, szModuleFile, PATH_LIMIT);
    CopyModulePath(nullptr, szProgramFile, PATH_LIMIT);
    InitForFiles(_bCreateFolder, szModuleFile, szProgramFile);
}

void CRegIniAccess::InitForFiles(int _bCreateFolder, const wchar_t* _pszModuleFile, const wchar_t* _pszProgramFile,
                                 const wchar_t* _pszConfigFolder)
{
    m_bCreateFolder = static_cast<DWORD>(_bCreateFolder);
    wchar_t szEnvironment[ENVIRONMENT_CCH] = L"";
    const DWORD cchEnvironment = GetEnvironmentVariableW(L"QelConfig", szEnvironment, ENVIRONMENT_CCH);
    const bool bBesideProgram = cchEnvironment > 0 && cchEnvironment < ENVIRONMENT_CCH && szEnvironment[0] == L'1';

    DWORD cchUserName = PATH_LIMIT;
    if (!GetUserNameW(m_szUserName, &cchUserName) || IsSystemAccount())
        m_szUserName[0] = 0;
    CopyIniPathOf(_pszModuleFile, m_szModuleIni, PATH_LIMIT);
    CopyIniPathOf(_pszProgramFile, m_szProgramIni, PATH_LIMIT);
    if (bBesideProgram)
        m_szUserName[0] = 0;
    CopyBaseName(_pszProgramFile, m_szProgramName, PATH_LIMIT);
    CopyBaseName(_pszModuleFile, m_szModuleName, PATH_LIMIT);

    m_szUserIni[0] = 0;
    if (m_szUserName[0] != 0)
    {
        StringCchCopyW(m_szUserIni, PATH_LIMIT, _pszConfigFolder ? _pszConfigFolder : GetConfigFolder());
        if (m_bCreateFolder)
            CreateFolderPath(m_szUserIni);
        AppendBackslash(m_szUserIni, PATH_LIMIT);
        StringCchCatW(m_szUserIni, PATH_LIMIT, m_szModuleName);
        StringCchCatW(m_szUserIni, PATH_LIMIT, L".INI");
    }

    StringCchPrintfW(m_szRegKey, PATH_LIMIT, L"%s%s", REGISTRY_BASE, m_szProgramName);
    m_bUseRegistry = 0;
    // The marker key of the user, or the same key of the machine (set by an installation for
    // every user); the values live below the user's key either way.
    for (HKEY hRoot : {HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE})
    {
        if (!m_bUseRegistry && Open(hRoot, m_szRegKey) == ERROR_SUCCESS)
        {
            m_bUseRegistry = 1;
            Close();
        }
    }
    StringCchCatW(m_szRegKey, PATH_LIMIT, L"\\");
    StringCchCatW(m_szRegKey, PATH_LIMIT, m_szModuleName);
}

const wchar_t* CRegIniAccess::ReadString(const wchar_t* _pszSection, const wchar_t* _pszKey, int _bUnescape)
{
    // Zeroed whole: a registry read of an odd byte count or without terminator stays terminated.
    SecureZeroMemory(g_szRawText, sizeof(g_szRawText));
    g_szReadResult[0] = 0;
    if (m_bUseRegistry)
        ReadRegistryValue(_pszSection, _pszKey, g_szRawText);
    else
        ReadIniValue(_pszSection, _pszKey, g_szRawText);
    if (_bUnescape)
        UnescapeControlChars(g_szRawText, g_szReadResult, VALUE_LIMIT);
    else
        StringCchCopyW(g_szReadResult, VALUE_LIMIT, g_szRawText);
    // Unescaping never touches the marker or the digits, so the raw text decodes the same.
    if (wcsncmp(g_szReadResult, UNI_MARKER, UNI_MARKER_LENGTH) == 0)
        DecodeHexForm(g_szRawText, g_szReadResult, VALUE_LIMIT);
    return g_szReadResult;
}

int CRegIniAccess::WriteString(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue)
{
    // A value that cannot be stored whole is refused rather than cut.
    const wchar_t* pszValue = _pszValue ? _pszValue : L"";
    if (!m_bUseRegistry)
        return WriteIniValue(_pszSection, _pszKey, pszValue);
    if (!MakeStoredForm(pszValue, false, g_szStagedText, VALUE_LIMIT))
        return 0;
    return WriteRegistryValue(_pszSection, _pszKey, g_szStagedText);
}

int CRegIniAccess::WriteInt(const wchar_t* _pszSection, const wchar_t* _pszKey, int _iValue)
{
    wchar_t szValue[16];
    StringCchPrintfW(szValue, ARRAYSIZE(szValue), L"%d", _iValue);
    return WriteString(_pszSection, _pszKey, szValue);
}

int CRegIniAccess::WriteFormat(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszFormat, ...)
{
    va_list args;
    va_start(args, _pszFormat);
    const HRESULT hr = StringCchVPrintfW(g_szFormattedText, VALUE_LIMIT, _pszFormat, args);
    va_end(args);
    // A text cut by the bound is not the value asked for.
    if (FAILED(hr))
        return 0;
    return WriteString(_pszSection, _pszKey, g_szFormattedText);
}

bool CRegIniAccess::MakeSectionKey(const wchar_t* _pszSection, wchar_t* _pszOut, size_t _cchOut) const
{
    // A cut path would name another key, so a path that does not fit is refused.
    if (IsEmpty(_pszSection))
        return SUCCEEDED(StringCchCopyW(_pszOut, _cchOut, m_szRegKey));
    return SUCCEEDED(StringCchPrintfW(_pszOut, _cchOut, L"%s\\%s", m_szRegKey, _pszSection));
}

void CRegIniAccess::ReadRegistryValue(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszOut)
{
    wchar_t szKey[512];
    if (!MakeSectionKey(_pszSection, szKey, PATH_LIMIT) || Open(HKEY_CURRENT_USER, szKey) != ERROR_SUCCESS)
        return;
    // A value above the limit fails with ERROR_MORE_DATA and counts as missing, and so
    // does one that fills the limit without a terminator: it would be cut.
    if (ReadRawValue(m_hKey, _pszKey, _pszOut, REGISTRY_VALUE_LIMIT_BYTES) != ERROR_SUCCESS ||
        _pszOut[VALUE_LIMIT - 1] != 0)
        SecureZeroMemory(_pszOut, REGISTRY_VALUE_LIMIT_BYTES);
    Close();
}

void CRegIniAccess::ReadIniValue(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszOut)
{
    if (IsEmpty(_pszSection))
    {
        GetPrivateProfileStringW(m_szModuleName, _pszKey, L"", _pszOut, VALUE_CCH, m_szProgramIni);
        return;
    }
    if (m_szUserIni[0] != 0 && ReadIfPresent(_pszSection, _pszKey, _pszOut, m_szUserIni))
        return;
    ReadIfPresent(_pszSection, _pszKey, _pszOut, m_szModuleIni);
}

int CRegIniAccess::WriteRegistryValue(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszStored)
{
    wchar_t szKey[512];
    if (!MakeSectionKey(_pszSection, szKey, PATH_LIMIT) || OpenOrCreate(HKEY_CURRENT_USER, szKey) != ERROR_SUCCESS)
        return 0;
    // A key that could only be opened read-only refuses the value: that is a failed write.
    const LONG lResult = WriteStringValue(_pszKey, _pszStored);
    Close();
    return lResult == ERROR_SUCCESS ? 1 : 0;
}

int CRegIniAccess::WriteIniValue(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue)
{
    int iResult = 1;
    if (IsEmpty(_pszSection))
        return WriteProfileKey(m_szModuleName, _pszKey, _pszValue, m_szProgramIni, &iResult) == PROFILE_WRITTEN
                   ? iResult
                   : 0;
    if (m_szUserName[0] != 0 && m_szUserIni[0] != 0)
    {
        const EProfileWrite eWrite = WriteProfileKey(_pszSection, _pszKey, _pszValue, m_szUserIni, &iResult);
        if (eWrite == PROFILE_WRITTEN)
            return iResult;
        // Written to the module file, a refused value would stay hidden behind the old one.
        if (eWrite == PROFILE_REFUSED)
            return 0;
    }
    // Falls back to the module file; the value is lost only when that write fails too.
    return WriteProfileKey(_pszSection, _pszKey, _pszValue, m_szModuleIni, &iResult) == PROFILE_WRITTEN ? iResult : 0;
}
