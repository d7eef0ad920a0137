// Appends lines to "Trace_YYYY-MM-DD.log" in a folder: one file per UTC day (the clock of
// the trace lines' own time stamps), UTF-8, each line on disk as soon as it is written.
#pragma once
#include <windows.h>
#include <string>

class CDailyLog
{
public:
    explicit CDailyLog(std::wstring _strFolder) : m_strFolder(std::move(_strFolder)) {}
    ~CDailyLog() { Close(); }
    CDailyLog(const CDailyLog&) = delete;
    CDailyLog& operator=(const CDailyLog&) = delete;

    void WriteLine(const wchar_t* _pszLine);
    void Close();

private:
    bool OpenFor(const SYSTEMTIME& _stNow);

    std::wstring m_strFolder;
    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    WORD m_wYear = 0, m_wMonth = 0, m_wDay = 0;
};
