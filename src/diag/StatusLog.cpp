// The status report StatusReport.ini (profile API) and the append-only error log ErrorLog.txt.
#include "diag/StatusLog.h"

#include <shlobj.h>
#include <strsafe.h>
#include <cstdarg>
#include <cstdio>
#include <cwchar>
#include <memory>

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
    WritePrivateProfileStringW(_pszSection, L"Time", m_szTime, m_szReportFile);
    WritePrivateProfileStringW(_pszSection, L"User", m_szUser, m_szReportFile);
    WritePrivateProfileStringW(_pszSection, L"ProductName", m_szProductName, m_szReportFile);
    WritePrivateProfileStringW(_pszSection, L"ProcID", m_szProcessId, m_szReportFile);
    WritePrivateProfileStringW(_pszSection, _pszKey, m_szValue, m_szReportFile);
    if (wcsstr(m_szValue, ERROR_MARK) != nullptr && m_szErrorLogFile[0] != L'\0')
    {
        RotateBeforeAppend(m_szErrorLogFile, m_szErrorLogOldFile, wcslen(m_szValue));
        AppendLine(m_szErrorLogFile, m_szValue);
    }
    m_dwWriter = 0;
    ReleaseSRWLockExclusive(&m_Lock);
}
