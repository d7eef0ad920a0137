#include "ui/WindowDpi.h"

#include <algorithm>

#include "base/MemoryProbe.h"

namespace {

const int MIN_DPI = 48;
const int MAX_DPI = 960;

}   // namespace

int GetSystemDpi()
{
    HDC hdc = GetDC(nullptr);
    if (!hdc)
        return BASE_DPI;
    const int iDpi = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return iDpi > 0 ? iDpi : BASE_DPI;
}

int GetWindowDpi(HWND _hWnd)
{
    // Looked up at run time: systems before Windows 10 do not have it.
    using PFN_GETDPIFORWINDOW = UINT(WINAPI*)(HWND);
    static const auto s_pfnGetDpiForWindow = reinterpret_cast<PFN_GETDPIFORWINDOW>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    const int iDpi = s_pfnGetDpiForWindow && _hWnd ? static_cast<int>(s_pfnGetDpiForWindow(_hWnd)) : 0;
    return iDpi >= MIN_DPI && iDpi <= MAX_DPI ? iDpi : GetSystemDpi();
}

int ScaleToDpi(int _iPixels, int _iDpi)
{
    return MulDiv(_iPixels, _iDpi, BASE_DPI);
}

HFONT CreateFontAtDpi(HFONT _hFont, int _iDpi, int _iFontDpi)
{
    LOGFONTW lf = {};
    if (!_hFont || _iFontDpi <= 0 || GetObjectW(_hFont, sizeof(lf), &lf) != sizeof(lf))
        return nullptr;
    lf.lfHeight = MulDiv(lf.lfHeight, _iDpi, _iFontDpi);
    return CreateFontIndirectW(&lf);
}

void ScaleChildWindows(HWND _hWnd, int _iFromDpi, int _iToDpi)
{
    for (HWND hChild = GetWindow(_hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
    {
        RECT rc = {};
        GetWindowRect(hChild, &rc);
        MapWindowPoints(nullptr, _hWnd, reinterpret_cast<POINT*>(&rc), 2);
        const int x = MulDiv(rc.left, _iToDpi, _iFromDpi);
        const int y = MulDiv(rc.top, _iToDpi, _iFromDpi);
        MoveWindow(hChild, x, y, MulDiv(rc.right, _iToDpi, _iFromDpi) - x, MulDiv(rc.bottom, _iToDpi, _iFromDpi) - y,
                   TRUE);
    }
}

void TakeOverDialogDpiScaling(HWND _hDlg)
{
    // Windows 10 1703 and later scale dialogs of their own accord; looked up at run time.
    using PFN_SETDIALOGDPICHANGEBEHAVIOR = BOOL(WINAPI*)(HWND, int, int);
    const int DDC_DISABLE_ALL = 1;
    static const auto s_pfnSet = reinterpret_cast<PFN_SETDIALOGDPICHANGEBEHAVIOR>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetDialogDpiChangeBehavior")));
    if (s_pfnSet)
        s_pfnSet(_hDlg, DDC_DISABLE_ALL, DDC_DISABLE_ALL);
}

void SetFontOnChildren(HWND _hWnd, HFONT _hFont)
{
    SendMessageW(_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(_hFont), TRUE);
    for (HWND hChild = GetWindow(_hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        SendMessageW(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(_hFont), TRUE);
}

RECT WorkAreaNear(const RECT& _rc)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(MonitorFromRect(&_rc, MONITOR_DEFAULTTONEAREST), &info))
        return info.rcWork;
    RECT rcWork = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &rcWork, 0);
    return rcWork;
}

RECT WorkspaceToScreen(const RECT& _rc, const RECT& _rcMonitor, const RECT& _rcWork)
{
    RECT rc = _rc;
    OffsetRect(&rc, _rcWork.left - _rcMonitor.left, _rcWork.top - _rcMonitor.top);
    return rc;
}

RECT WorkspaceToScreen(const RECT& _rc)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(MonitorFromRect(&_rc, MONITOR_DEFAULTTONEAREST), &info))
        return _rc;
    return WorkspaceToScreen(_rc, info.rcMonitor, info.rcWork);
}

RECT FitIntoWorkArea(const RECT& _rc, const RECT& _rcWork)
{
    // Widened: a rectangle from elsewhere may span more than a LONG holds.
    const LONG cx = static_cast<LONG>(std::min<LONGLONG>(LONGLONG{_rc.right} - _rc.left, _rcWork.right - _rcWork.left));
    const LONG cy = static_cast<LONG>(std::min<LONGLONG>(LONGLONG{_rc.bottom} - _rc.top, _rcWork.bottom - _rcWork.top));
    const LONG x = std::max(_rcWork.left, std::min(_rc.left, _rcWork.right - cx));
    const LONG y = std::max(_rcWork.top, std::min(_rc.top, _rcWork.bottom - cy));
    const RECT rc = {x, y, x + cx, y + cy};
    return rc;
}

bool ReadDpiChange(HWND _hWnd, WPARAM _wParam, LPARAM _lParam, int _iOldDpi, int* _piNewDpi, RECT* _prcNew)
{
    const int iDpi = HIWORD(_wParam);
    RECT rcWindow = {};
    if (iDpi < MIN_DPI || iDpi > MAX_DPI || _iOldDpi < MIN_DPI || !GetWindowRect(_hWnd, &rcWindow))
        return false;
    RECT rc = {rcWindow.left, rcWindow.top, rcWindow.left + MulDiv(rcWindow.right - rcWindow.left, iDpi, _iOldDpi),
               rcWindow.top + MulDiv(rcWindow.bottom - rcWindow.top, iDpi, _iOldDpi)};
    const RECT* pSuggested = reinterpret_cast<const RECT*>(_lParam);
    if (!InSendMessage() && pSuggested && IsBusMemoryReadable(pSuggested, sizeof(RECT)) &&
        pSuggested->right > pSuggested->left && pSuggested->bottom > pSuggested->top)
        rc = *pSuggested;
    *_piNewDpi = iDpi;
    *_prcNew = FitIntoWorkArea(rc, WorkAreaNear(rc));
    return true;
}
