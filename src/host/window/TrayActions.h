// Tray icon clicks and tray menu commands of the main window, and ending the host from it.
#pragma once
#include <windows.h>

// Tray icon clicks and tray menu commands of the main window.
// Tray menu command ids the host handles itself.
enum TrayCommand : UINT
{
    CMD_SHOWCONFIG = 32778,
    CMD_SHOWINFO = 32780,
    CMD_SHOWHELP = 32782,
    CMD_PAUSE = 11005,
    CMD_CONTINUE = 11006,
    CMD_EXIT = 11007,
};

// The action of one menu command (CServiceWindow::OnCommand).
void RunTrayCommand(UINT _uCommand);
// The action of one tray icon mouse message (CServiceWindow::OnTrayNotify).
void RunTrayNotify(UINT _uMouseMessage);

// Ending the host and controlling its own service from the main window.
// Sends a control (1 stop, 2 pause, 3 continue) to the service "Telvarin".
void ControlOwnService(DWORD _dwControl);
// Stops the service when it runs (the service side then ends the host), else posts
// WM_DESTROY to the main window.
void RequestHostEnd();
