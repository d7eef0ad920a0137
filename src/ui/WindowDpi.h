// The DPI of the host's windows: lengths given at 96 DPI scaled to a window's DPI, fonts
// copied at that DPI, and a window's rectangle kept within the work area of its monitor.
#pragma once
#include <windows.h>

const int BASE_DPI = 96;

// The system's DPI (the screen's logical pixels per inch); 96 when it cannot be had.
int GetSystemDpi();
// The DPI of the window's monitor where the system tells it, else the system's.
int GetWindowDpi(HWND _hWnd);
// A length given at 96 DPI at the DPI (MulDiv: halves rounded away from zero).
int ScaleToDpi(int _iPixels, int _iDpi);
// A copy of a font with its height taken from the font's DPI to the DPI; null without a font.
HFONT CreateFontAtDpi(HFONT _hFont, int _iDpi, int _iFontDpi = BASE_DPI);
// Sets the font on the window and its direct children.
void SetFontOnChildren(HWND _hWnd, HFONT _hFont);

// Moves and sizes every direct child of the window from one DPI to another (client
// coordinates times the ratio of the two).
void ScaleChildWindows(HWND _hWnd, int _iFromDpi, int _iToDpi);
// The system does not scale the dialog itself when its DPI changes: its procedure does.
void TakeOverDialogDpiScaling(HWND _hDlg);

// The work area of the monitor nearest to the rectangle.
RECT WorkAreaNear(const RECT& _rc);
// The rectangle made no larger than the work area and moved inside it.
RECT FitIntoWorkArea(const RECT& _rc, const RECT& _rcWork);

// A rectangle of GetWindowPlacement (workspace coordinates, which start at the top left of
// the work area of the monitor) in screen coordinates: on the monitor of the given rectangle
// and work area, and on the monitor nearest to it.
RECT WorkspaceToScreen(const RECT& _rc, const RECT& _rcMonitor, const RECT& _rcWork);
RECT WorkspaceToScreen(const RECT& _rc);

// A WM_DPICHANGED for a window: its new DPI and the rectangle it is to take, within the work
// area of its monitor. The system's suggested rectangle at lParam is read only when the
// message comes from the window's own thread and the rectangle is readable; otherwise the
// window keeps its top left corner and its size is scaled from _iOldDpi. False (nothing to
// do) for a DPI outside 48 to 960.
bool ReadDpiChange(HWND _hWnd, WPARAM _wParam, LPARAM _lParam, int _iOldDpi, int* _piNewDpi, RECT* _prcNew);
