// A program started for the host benchmark: its start, its window, its memory and CPU time
// as the system reports them, and its end.
#pragma once
#include <windows.h>

#include <string>

#include "base/Handle.h"

class CProcessWatch
{
public:
    // Starts the program in its own folder, with the arguments after its name; false when
    // it did not start.
    bool Start(const std::wstring& _strExe, const std::wstring& _strArguments = L"");
    HANDLE Process() const { return m_hProcess.Get(); }
    DWORD Id() const { return m_dwProcessId; }
    // When Start created the process: performance counter and system time.
    LARGE_INTEGER StartCounter() const { return m_liStart; }
    FILETIME StartTime() const { return m_ftStart; }
    // Seconds since Start.
    double Elapsed() const;
    // The top-level window of the process whose class is _pszClass (and, when nonzero,
    // whose user data is _lUserData); null when it has none.
    HWND FindWindowOfProcess(const wchar_t* _pszClass, LONG_PTR _lUserData) const;
    // Private bytes (the commit charge where the system reports no private usage).
    SIZE_T PrivateBytes() const;
    // User and kernel time used so far, in seconds.
    double CpuSeconds() const;
    // Posts WM_CLOSE to the window and waits for the end; seconds until the process ended,
    // or a negative value when it did not end within the timeout (it is then terminated).
    double CloseAndWait(HWND _hWnd, DWORD _dwTimeoutMs);

private:
    CKernelHandle m_hProcess;
    DWORD m_dwProcessId = 0;
    LARGE_INTEGER m_liStart = {};
    FILETIME m_ftStart = {};
};
