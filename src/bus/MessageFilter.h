// Which queued messages the host's message loops dispatch. Other processes can post any
// message to the host's windows; the loops drop what would make the system act on their
// values: a timer message whose procedure is not plug-in code (the system would call it),
// system messages posted to the hidden main window that the window never gets posted by the
// system (their default handling reads or writes through their parameters, shows the window
// or changes its title), a posted scheme change (its record is only valid while its sender
// waits), and, for every window, the messages that only a window's own thread sends
// (IsOwnThreadMessage).
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

// Messages that only the receiving window's own thread sends: those whose lParam points to a
// structure the procedure reads or fills (WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_HELP,
// WM_GETMINMAXINFO and the like) and WM_INITDIALOG, whose lParam the creating call chose.
// The system and the window's own controls send them; nobody posts them.
bool IsOwnThreadMessage(UINT _uMsg);

// True when a window procedure of the host must refuse the message it handles: one that only
// its own thread sends, sent by another thread or process (IsSentFromOtherThread).
bool IsRefusedFromOtherThread(UINT _uMsg);
