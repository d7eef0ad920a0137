// Tray icon clicks and tray menu commands of the main window, and ending the host from it.
#pragma once
#include <windows.h>

#include "UiResources.h"

// Tray icon clicks and tray menu commands of the main window.
// Tray menu command ids the host handles itself: the items of menu 131.
enum TrayCommand : UINT
{
    CMD_SHOWCONFIG = IDM_TRAY_SETTINGS,
    CMD_SHOWINFO = IDM_TRAY_INFO,
    CMD_SHOWHELP = IDM_TRAY_HELP,
    CMD_PAUSE = IDM_TRAY_PAUSE,
    CMD_CONTINUE = IDM_TRAY_CONTINUE,
    CMD_EXIT = IDM_TRAY_EXIT,
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
