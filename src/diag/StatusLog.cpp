// The status report StatusReport.ini (profile API) and the append-only error log ErrorLog.txt.
#include "diag/StatusLog.h"

#include <shlobj.h>
#include <strsafe.h>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <memory>
#include <string>
#include <vector>

#include "config/RegIniAccess.h"
#include "config/VersionTool.h"
#include "base/ControlCharacters.h"
#include "base/ProgramPath.h"

namespace {

const wchar_t REPORT_FILE_NAME[] = L"StatusReport.ini";
const wchar_t ERROR_LOG_FILE_NAME[] = L"ErrorLog.txt";
const wchar_t ERROR_LOG_OLD_FILE_NAME[] = L"ErrorLog.old.txt";
const wchar_t ERROR_MARK[] = L".Error.";
// The error log is moved to its one previous generation before it would pass this size,
// so both together never hold much more than twice this on disk.
const ULONGLONG ERROR_LOG_LIMIT_BYTES = 256 * 1024;
const ULONGLONG LINE_END_BYTES = 2;   // text mode writes CR LF
// A section of the report as the profile functions hand it over; one that does not fit is
// written key by key.
const DWORD SECTION_CHARS = 4096;

using UniqueFile = std::unique_ptr<FILE, int (*)(FILE*)>;

// Folder, a backslash when missing, then the file name; empty without a folder or when
// the path does not fit, so that a cut path never names some other file.
void JoinPath(const wchar_t* _pszFolder, const wchar_t* _pszName, wchar_t* _pszOut, size_t _cchOut)
{
    _pszOut[0] = L'\0';
    const size_t cchFolder = _pszFolder ? wcslen(_pszFolder) : 0;
    if (cchFolder == 0)
        return;
    const wchar_t* pszSeparator = _pszFolder[cchFolder - 1] == L'\\' ? L"" : L"\\";
    if (FAILED(StringCchPrintfW(_pszOut, _cchOut, L"%s%s%s", _pszFolder, pszSeparator, _pszName)))
        _pszOut[0] = L'\0';
}

void BuildFilePath(bool _bProgramFolder, const wchar_t* _pszName, wchar_t* _pszOut, size_t _cchOut)
{
    if (_bProgramFolder)
        BuildProgramPath(_pszName, _pszOut, _cchOut);
    else
        JoinPath(GetLogFolder(), _pszName, _pszOut, _cchOut);
}

// Copies the text without the blanks at both ends.
void CopyTrimmed(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut)
{
    while (*_pszText == L' ')
        ++_pszText;
    size_t cchText = wcslen(_pszText);
    while (cchText > 0 && _pszText[cchText - 1] == L' ')
        --cchText;
    StringCchCopyNW(_pszOut, _cchOut, _pszText, cchText);
}

// The log folder may not exist yet when the first entry is written; create it then.
void EnsureFolderOf(const wchar_t* _pszFile)
{
    wchar_t szFolder[MAX_PATH];
    if (FAILED(StringCchCopyW(szFolder, ARRAYSIZE(szFolder), _pszFile)))
        return;
    wchar_t* pszSeparator = wcsrchr(szFolder, L'\\');
    if (pszSeparator == nullptr)
        return;
    *pszSeparator = L'\0';
    if (GetFileAttributesW(szFolder) == INVALID_FILE_ATTRIBUTES)
        SHCreateDirectoryExW(nullptr, szFolder, nullptr);
}

ULONGLONG FileBytes(const wchar_t* _pszFile)
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(_pszFile, GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<ULONGLONG>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Keeps the log below its limit: a log that the entry would take past it becomes the
// previous generation, replacing the one before.
void RotateBeforeAppend(const wchar_t* _pszFile, const wchar_t* _pszOldFile, size_t _cchEntry)
{
    if (FileBytes(_pszFile) + _cchEntry + LINE_END_BYTES > ERROR_LOG_LIMIT_BYTES && _pszOldFile[0] != L'\0')
        MoveFileExW(_pszFile, _pszOldFile, MOVEFILE_REPLACE_EXISTING);
}

// Text mode: the runtime's wide output writes the text as 8-bit characters; one entry a line.
void AppendLine(const wchar_t* _pszFile, const wchar_t* _pszText)
{
    UniqueFile file(_wfopen(_pszFile, L"at"), fclose);
    if (file)
    {
        fputws(_pszText, file.get());
        fputws(L"\n", file.get());
    }
}

struct SKeyValue
{
    const wchar_t* pszKey;
    const wchar_t* pszValue;
};

struct SEntry
{
    std::wstring strKey;
    std::wstring strValue;
};

bool IsSameKey(const std::wstring& _strKey, const wchar_t* _pszKey)
{
    return CompareStringOrdinal(_strKey.c_str(), -1, _pszKey, -1, TRUE) == CSTR_EQUAL;
}

// A key that a whole-section write names exactly as a single write would: not empty, no
// blank at either end and no "=".
bool IsPlainKey(const wchar_t* _pszKey)
{
    const size_t cchKey = wcslen(_pszKey);
    return cchKey > 0 && !iswspace(_pszKey[0]) && !iswspace(_pszKey[cchKey - 1]) && wcschr(_pszKey, L'=') == nullptr;
}

// The section's "key=value" strings (an empty one ends them) as entries; false when a string
// has no "=" or a key comes twice, which a whole-section write would not keep as it is.
bool ReadEntries(const wchar_t* _pszSection, std::vector<SEntry>* _pvecEntries)
{
    for (const wchar_t* pszLine = _pszSection; *pszLine != L'\0'; pszLine += wcslen(pszLine) + 1)
    {
        const wchar_t* pszEquals = wcschr(pszLine, L'=');
        if (pszEquals == nullptr)
            return false;
        SEntry entry{std::wstring(pszLine, pszEquals), pszEquals + 1};
        for (const SEntry& other : *_pvecEntries)
        {
            if (IsSameKey(other.strKey, entry.strKey.c_str()))
                return false;
        }
        _pvecEntries->push_back(std::move(entry));
    }
    return true;
}

// Sets each key as a single profile write would: a key already in the section keeps its
// place and spelling and takes the new value, a new key goes to the end.
void SetEntry(std::vector<SEntry>* _pvecEntries, const wchar_t* _pszKey, const wchar_t* _pszValue)
{
    for (SEntry& entry : *_pvecEntries)
    {
        if (IsSameKey(entry.strKey, _pszKey))
        {
            entry.strValue = _pszValue;
            return;
        }
    }
    _pvecEntries->push_back({_pszKey, _pszValue});
}

// The entries as a whole-section write takes them: "key=value" strings, an empty one at the end.
std::wstring SectionText(const std::vector<SEntry>& _vecEntries)
{
    std::wstring strText;
    for (const SEntry& entry : _vecEntries)
    {
        strText += entry.strKey + L'=' + entry.strValue;
        strText += L'\0';
    }
    return strText;
}

// Under Wine every profile write opens the file and, when its value changes, rewrites the
// whole file. The keys of one status entry therefore go in one write of the section, which
// leaves the file as the single writes in their order would and never shows a reader the
// entry half written. A section that a whole-section write would change otherwise is
// written key by key.
void WriteEntries(const wchar_t* _pszFile, const wchar_t* _pszSection, const SKeyValue* _pEntries, size_t _cEntries)
{
    wchar_t szSection[SECTION_CHARS];
    const DWORD cchSection = GetPrivateProfileSectionW(_pszSection, szSection, SECTION_CHARS, _pszFile);
    std::vector<SEntry> vecEntries;
    bool bWhole = cchSection + 2 < SECTION_CHARS && ReadEntries(szSection, &vecEntries);
    for (size_t i = 0; bWhole && i < _cEntries; ++i)
    {
        bWhole = IsPlainKey(_pEntries[i].pszKey);
        SetEntry(&vecEntries, _pEntries[i].pszKey, _pEntries[i].pszValue);
    }
    if (bWhole && WritePrivateProfileSectionW(_pszSection, SectionText(vecEntries).c_str(), _pszFile))
        return;
    for (size_t i = 0; i < _cEntries; ++i)
        WritePrivateProfileStringW(_pszSection, _pEntries[i].pszKey, _pEntries[i].pszValue, _pszFile);
}

}   // namespace

CStatusLog::CStatusLog(int _bProgramFolder) : m_bProgramFolder(_bProgramFolder ? 1 : 0)
{
    BuildFilePath(m_bProgramFolder != 0, REPORT_FILE_NAME, m_szReportFile, ARRAYSIZE(m_szReportFile));
    BuildFilePath(m_bProgramFolder != 0, ERROR_LOG_FILE_NAME, m_szErrorLogFile, ARRAYSIZE(m_szErrorLogFile));
    BuildFilePath(m_bProgramFolder != 0, ERROR_LOG_OLD_FILE_NAME, m_szErrorLogOldFile, ARRAYSIZE(m_szErrorLogOldFile));
    DWORD cchUser = ARRAYSIZE(m_szUser);
    if (!GetUserNameW(m_szUser, &cchUser))
        m_szUser[0] = L'\0';
    CopyTrimmed(CVersionTool().GetProductName(), m_szProductName, ARRAYSIZE(m_szProductName));
    StringCchPrintfW(m_szProcessId, ARRAYSIZE(m_szProcessId), L"%d", static_cast<int>(GetCurrentProcessId()));
}

void CStatusLog::WriteStatus(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszFormat, ...)
{
    // A null key would delete the whole section.
    if (_pszSection == nullptr || _pszKey == nullptr || _pszFormat == nullptr || m_szReportFile[0] == L'\0')
        return;
    if (m_dwWriter == GetCurrentThreadId())
        return;
    AcquireSRWLockExclusive(&m_Lock);
    m_dwWriter = GetCurrentThreadId();
    SYSTEMTIME time;
    GetSystemTime(&time);
    StringCchPrintfW(m_szTime, ARRAYSIZE(m_szTime), L"%04d-%02d-%02d %02d:%02d:%02d UTC", time.wYear, time.wMonth,
                     time.wDay, time.wHour, time.wMinute, time.wSecond);
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(m_szValue, ARRAYSIZE(m_szValue), _pszFormat, args);
    va_end(args);
    ReplaceControlCharacters(m_szValue);

    EnsureFolderOf(m_szReportFile);
    const SKeyValue aEntries[] = {{L"Time", m_szTime},
                                  {L"User", m_szUser},
                                  {L"ProductName", m_szProductName},
                                  {L"ProcID", m_szProcessId},
                                  {_pszKey, m_szValue}};
    WriteEntries(m_szReportFile, _pszSection, aEntries, ARRAYSIZE(aEntries));
    if (wcsstr(m_szValue, ERROR_MARK) != nullptr && m_szErrorLogFile[0] != L'\0')
    {
        RotateBeforeAppend(m_szErrorLogFile, m_szErrorLogOldFile, wcslen(m_szValue));
        AppendLine(m_szErrorLogFile, m_szValue);
    }
    m_dwWriter = 0;
    ReleaseSRWLockExclusive(&m_Lock);
}
