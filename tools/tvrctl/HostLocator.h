// Where the host is: its running process (tray mode on this desktop, or the service) and the
// program file and data folders that tvrctl reads.
#pragma once
#include <windows.h>
#include <string>

struct SHostContext
{
    bool bRunning = false;
    HWND hWnd = nullptr;        // the main window; null for a service host on another desktop
    DWORD dwPid = 0;
    bool bService = false;      // the host runs as the Windows service
    // The running host's program file; without one, Telvarin.exe beside tvrctl when it is there.
    std::wstring strProgram;

    // The host's data folder ("LOG", "CFG") for the account it runs under (the service's
    // lies beside the program); empty without a program file.
    std::wstring DataFolder(const wchar_t* _pszSub) const;
    // The program's folder with a trailing backslash; empty without a program file.
    std::wstring ProgramFolder() const;
};

SHostContext LocateHost();
// The process id of the running service "Telvarin"; 0 when it does not run.
DWORD RunningServicePid();
// Full path of a process's program file; empty when it cannot be had.
std::wstring ProcessImagePath(DWORD _dwPid);
