// The host's hidden main window, the one object that stands for it (CServiceWindow), its
// message loop and the process-wide values of the entry.
#pragma once
#include <windows.h>

#include "bus/BusBlock.h"
#include "bus/MainWindowHandle.h"
#include "config/RunMode.h"

// Process-wide values the entry fixes at start (written by the main thread only). What the
// window procedure's handlers keep between messages is in host/window/MainWindowState.h.
extern HINSTANCE g_hInstance;       // the program's module handle
extern wchar_t g_szHelpFile[512];   // help file name, fixed at start

// The host's hidden main window and the one object that stands for it.
class CServiceWindow
{
public:
    CServiceWindow();
    virtual ~CServiceWindow();

    // Hands a bus message to every plug-in list; frees the record block. 1 = all accepted.
    virtual int DistributeBusMessage(UINT _uType, CBusBlock _block);
    virtual void OnTrayNotify(UINT _uMouseMessage);
    virtual void OnCommand(UINT _uCommand);

    void CloseAllModules();
    // After-load calls of every list again, debug list first, for plug-ins that were closed
    // while the host went on running.
    void ReopenAllModules();
    void LogLastError(const wchar_t* _pszText);
    void LogProgramStatus(const wchar_t* _pszText);
    void LogProgramMessage(const wchar_t* _pszRecord);

    CServiceWindow(const CServiceWindow&) = delete;
    CServiceWindow& operator=(const CServiceWindow&) = delete;
};

extern CServiceWindow* g_pServiceWindow;

class CVersionHandler;
// The start's version check: a newer running version is stored and announced to the
// plug-ins as bus type 82.
void AnnounceNewVersion(CVersionHandler& _handler);
// The trace sink of the host: every line as bus type 4 to the main window, a fault also as
// the last error (type 66).
void ForwardTraceLine(DWORD _dwLevel, const wchar_t* _pszLine, bool _bFault);

// Registers the class and creates the hidden main window (once).
void CreateHostWindow();
// Message loop under the crash-dump guard; returns the WM_QUIT exit value.
int RunMessageLoop();
void PumpPending();
void PumpFor(DWORD _dwMilliseconds);
void CompletePendingUpdate();
