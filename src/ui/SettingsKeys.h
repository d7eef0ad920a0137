// Keyboard navigation of the settings window: the host's message loop runs no dialog
// manager, so Tab and Enter are handled here when the key goes up.
#pragma once
#include <windows.h>

// The windows the focus moves between.
struct SSettingsFocusWindows
{
    HWND hWndDlg;
    HWND hWndTree;
    HWND hWndPage;
    HWND hWndClose;
    HWND hWndApply;
    HWND hWndHelp;
};

// Where Tab moves the focus from the focus window; null when it stays.
HWND NextSettingsFocus(const SSettingsFocusWindows& _windows, HWND _hWndFocus);
// Tab (9) and Enter (13) on a window of the settings window: Enter on a button posts its
// command to the button's parent; otherwise the focus moves on. Other keys and windows
// outside the settings window are left alone.
void HandleSettingsKey(const SSettingsFocusWindows& _windows, HWND _hWndFocus, WPARAM _wKey);
