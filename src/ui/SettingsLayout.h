// Where the settings window puts its controls: the layout table at 96 DPI, scaled by the
// window's DPI, the background with its left strip and the smallest window size.
#pragma once
#include <windows.h>

#include "ui/WindowDpi.h"

// The controls the table places, in table order.
enum ESettingsControl
{
    SETTINGS_TREE,
    SETTINGS_TITLE,
    SETTINGS_CLOSE,
    SETTINGS_APPLY,
    SETTINGS_HELP,
    SETTINGS_PAGE,
    SETTINGS_CONTROL_COUNT
};

// The control's rectangle (left, top, right, bottom) in a client area of W x H pixels.
RECT SettingsControlRect(ESettingsControl _eControl, int _iWidth, int _iHeight, int _iDpi);
// Moves every existing control of the array (indexed by ESettingsControl) to its place in
// the window's client area and invalidates the whole window.
void LayOutSettings(HWND _hWndDlg, const HWND (&_ahWndControls)[SETTINGS_CONTROL_COUNT], int _iDpi);
// The client area in the background brush, the strip left of the page in the pane brush.
void PaintSettingsBackground(HWND _hWndDlg, HDC _hdc, int _iDpi);
// The window is never made smaller than 800 x 600 (at 96 DPI), nor than the work area where
// that is smaller.
void LimitSettingsSize(MINMAXINFO* _pInfo, int _iDpi, const RECT& _rcWork);
