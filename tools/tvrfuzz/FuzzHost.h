// The running host as the fuzzer sees it from outside: its process, its main window, its
// answers, and a new start of the same program file after it ended.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

// A window of the host process: a top-level window or a child of one.
struct HostWindow
{
    HWND hWnd;
    std::wstring strClass;
    // Its procedure is the host's own (main window, dialogs, message box), not one of the
    // system's controls, whose faults are the system's.
    bool bHostProcedure;
};

class CFuzzHost
{
public:
    CFuzzHost() = default;
    ~CFuzzHost();
    CFuzzHost(const CFuzzHost&) = delete;
    CFuzzHost& operator=(const CFuzzHost&) = delete;

    static const DWORD ANSWER_TIMEOUT_MS = 5000;

    // Finds the host window (of that process, or the first one when _dwPid is 0) and opens the process.
    bool Attach(DWORD _dwPid);
    // Starts the same program file again from its folder and attaches to it.
    bool Restart();
    // Asks every host this object started itself to end, and ends it when it does not.
    void CloseStarted();

    bool IsAlive() const;
    DWORD ExitCode() const;
    // True when WM_NULL is answered within the timeout.
    bool Answers(DWORD _dwTimeoutMs = ANSWER_TIMEOUT_MS) const;
    // Milliseconds until WM_NULL was answered; ANSWER_TIMEOUT_MS or more when it was not.
    DWORD AnswerTime() const;
    bool IsWindowShown() const;
    // Every window of the process, top-level windows and their children.
    std::vector<HostWindow> Windows() const;
    // Main window title read with WM_GETTEXT; "?" when it does not answer.
    std::wstring Title() const;
    // Private bytes of the process; 0 when they cannot be read.
    SIZE_T PrivateUsage() const;
    void Terminate() const;

    HWND Window() const { return m_hWnd; }
    HANDLE Process() const { return m_hProcess; }
    DWORD Pid() const { return m_dwPid; }
    const std::wstring& ImagePath() const { return m_strImage; }
    std::wstring Folder() const;   // with the trailing backslash

private:
    void Release();

    HWND m_hWnd = nullptr;
    HANDLE m_hProcess = nullptr;
    DWORD m_dwPid = 0;
    bool m_bStartedHere = false;
    std::wstring m_strImage;
};
