// The status report StatusReport.ini and the error log ErrorLog.txt (with its previous
// generation ErrorLog.old.txt).
#pragma once
#include <windows.h>

class CStatusLog
{
public:
    explicit CStatusLog(int _bProgramFolder);
    virtual ~CStatusLog() = default;
    // Writes Time, User, ProductName, ProcID and the key into the section; control characters
    // in the value become blanks. A value containing ".Error." is also a line of the error log.
    // Any thread may write (the monitor thread reports a hung call, a faulting thread its
    // fault); one write at a time. A thread that faults inside a write of its own skips its
    // report rather than wait for itself.
    void WriteStatus(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszFormat, ...);
    const wchar_t* GetReportFile() const { return m_szReportFile; }
    const wchar_t* GetErrorLogFile() const { return m_szErrorLogFile; }
    const wchar_t* GetErrorLogOldFile() const { return m_szErrorLogOldFile; }

private:
    wchar_t m_szReportFile[260] = L"";
    wchar_t m_szErrorLogFile[260] = L"";
    wchar_t m_szErrorLogOldFile[260] = L"";
    wchar_t m_szUser[64] = L"";
    wchar_t m_szTime[64] = L"";
    wchar_t m_szProcessId[64] = L"";
    wchar_t m_szProductName[64] = L"";
    wchar_t m_szValue[512] = L"";
    DWORD m_bProgramFolder = 0;
    SRWLOCK m_Lock = SRWLOCK_INIT;
    volatile DWORD m_dwWriter = 0;   // thread that holds the lock; 0 when none
};

extern CStatusLog g_StatusLog;
