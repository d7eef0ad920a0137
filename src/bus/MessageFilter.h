// Which queued messages the host's message loops dispatch. Other processes can post any
// message to the host's windows; the loops drop what would make the system act on their
// values: a timer message whose procedure is not plug-in code (the system would call it),
// and system messages posted to the hidden main window that the window never gets posted
// by the system (their default handling reads or writes through their parameters, shows
// the window or changes its title), and a posted scheme change (its record is only valid
// while its sender waits).
#pragma once
#include <windows.h>

#ifndef WM_SYSTIMER
#define WM_SYSTIMER 0x0118
#endif

bool IsDispatchable(const MSG& _msg, HWND _hWndMain);

// The main window whose queue the filter guards in loops that do not know it (message boxes,
// dialogs); the host names it once its window exists.
void SetDispatchMainWindow(HWND _hWndMain);
HWND GetDispatchMainWindow();
