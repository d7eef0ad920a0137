// Tray icon clicks and tray menu commands of the main window.
#pragma once
#include <windows.h>

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
