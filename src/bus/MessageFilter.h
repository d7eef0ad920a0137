// Which queued messages the host's message loops dispatch. Other processes can post any
// message to the host's windows; the loops drop what would make the system act on their
// values: a timer message whose procedure is not plug-in code (the system would call it),
// messages to the hidden main window that its table (MainWindowMessages.h) does not let
// arrive posted, and, for every window, the messages that only a window's own thread sends
// (IsOwnThreadMessage).
#pragma once
#include <windows.h>

#ifndef WM_SYSTIMER
#define WM_SYSTIMER 0x0118
#endif

bool IsDispatchable(const MSG& _msg, HWND _hWndMain);

// Messages that only the receiving window's own thread sends (the rows of the main window's
// table that no other thread may send): those whose lParam points to a structure the
// procedure reads or fills (WM_NOTIFY, WM_DRAWITEM, WM_HELP and the like), WM_INITDIALOG, and
// those whose wParam is a device context (WM_ERASEBKGND, WM_CTLCOLOR..., WM_PRINTCLIENT).
// The system and the window's own controls send them; nobody posts them.
bool IsOwnThreadMessage(UINT _uMsg);

// True when a window procedure of the host must refuse the message it handles: one that only
// its own thread sends, sent by another thread or process (IsSentFromOtherThread).
bool IsRefusedFromOtherThread(UINT _uMsg);
