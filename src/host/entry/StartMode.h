// The start decision: service mode, hand-over to a running host, refusal, or a normal run.
#pragma once
#include <windows.h>

enum StartDecision
{
    START_RUN = 0,
    START_HANDOVER = 1,
    START_REFUSE = 2
};

// Running processes whose main module path contains the program file name and that run
// under an account of the current user's name (the calling process counts itself).
int CountInstances(const wchar_t* _pszProgramFile);
// Depth-first search from the start window for a window whose user data is the identifier.
HWND FindHostWindow(HWND _hWndStart, DWORD _dwIdentifier);
// The same, but only windows of processes other than the given one count.
HWND FindForeignHostWindow(HWND _hWndStart, DWORD _dwIdentifier, DWORD _dwProcessId);
// The host window of another running instance of this program file; when no host window can
// be told to be one, the first host window of another process.
HWND FindProgramHostWindow(HWND _hWndStart, DWORD _dwIdentifier, const wchar_t* _pszProgramFile);
// Decision for a start under a normal account (not SYSTEM).
StartDecision DecideTrayStart(const wchar_t* _pszProgramFile);
// Asks the running host of this program file to open its settings window, then waits 2000 ms.
void HandOverToRunningHost(const wchar_t* _pszProgramFile);
// Shows the "run as a service" message unless the maker's test state silences it.
void RefuseToRun();
// Service mode: sets the flag and starts the service dispatcher thread; false when it cannot.
bool StartServiceMode();
