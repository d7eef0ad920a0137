// The main window is hidden and titled "Telvarin" for its whole life. Other processes can
// send it any message; the default handling of some of them would show it (system
// commands, WM_SETREDRAW, a show request), clear its title (WM_NCCREATE, WM_NCDESTROY)
// or give it a hot key; others open its system menu or track a frame button in a modal
// loop that holds the main thread. Those are answered here without the default handling.
#pragma once
#include <windows.h>

// True when the message was answered (the result is in *_plResult).
bool GuardHiddenWindow(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, LRESULT* _plResult);
