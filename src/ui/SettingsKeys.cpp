#include "ui/SettingsKeys.h"

namespace {

const WPARAM KEY_TAB = 9;
const WPARAM KEY_ENTER = 13;

// A window the focus may go to: visible, enabled and with a tab stop.
bool CanTakeFocus(HWND _hWnd)
{
    return _hWnd && IsWindowVisible(_hWnd) && IsWindowEnabled(_hWnd) &&
           (GetWindowLongPtrW(_hWnd, GWL_STYLE) & WS_TABSTOP) != 0;
}

// Visible and enabled: the buttons are chosen by that (Help is hidden while no help exists).
bool IsUsable(HWND _hWnd)
{
    return _hWnd && IsWindowVisible(_hWnd) && IsWindowEnabled(_hWnd);
}

HWND FirstFocusable(HWND _hWnd)
{
    while (_hWnd && !CanTakeFocus(_hWnd))
        _hWnd = GetWindow(_hWnd, GW_HWNDNEXT);
    return _hWnd;
}

bool IsButton(HWND _hWnd)
{
    wchar_t szClass[16] = L"";
    return GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass)) > 0 && _wcsicmp(szClass, L"Button") == 0;
}

// The next window from one of the settings window's own controls.
HWND NextOutsidePage(const SSettingsFocusWindows& _w, HWND _hWndFocus, HWND _hWndCandidate)
{
    if (_hWndFocus == _w.hWndTree)
        return _w.hWndPage && IsWindowEnabled(_w.hWndPage) ? _w.hWndPage : _w.hWndClose;
    if (_hWndFocus == _w.hWndClose)
        return IsUsable(_w.hWndApply) ? _w.hWndApply : IsUsable(_w.hWndHelp) ? _w.hWndHelp : _w.hWndTree;
    if (_hWndFocus == _w.hWndApply)
        return IsUsable(_w.hWndHelp) ? _w.hWndHelp : _w.hWndTree;
    if (_hWndFocus == _w.hWndHelp)
        return _w.hWndTree;
    return _hWndCandidate;
}

}   // namespace

HWND NextSettingsFocus(const SSettingsFocusWindows& _w, HWND _hWndFocus)
{
    const HWND hWndCandidate = FirstFocusable(GetWindow(_hWndFocus, GW_HWNDNEXT));
    const bool bInPage = _w.hWndPage && IsChild(_w.hWndPage, _hWndFocus);
    HWND hWndNext =
        bInPage ? (hWndCandidate ? hWndCandidate : _w.hWndClose) : NextOutsidePage(_w, _hWndFocus, hWndCandidate);
    if (hWndNext && hWndNext == _w.hWndPage)
        hWndNext = FirstFocusable(GetWindow(_w.hWndPage, GW_CHILD));
    return hWndNext ? hWndNext : _w.hWndTree;
}

void HandleSettingsKey(const SSettingsFocusWindows& _w, HWND _hWndFocus, WPARAM _wKey)
{
    if ((_wKey != KEY_TAB && _wKey != KEY_ENTER) || !_w.hWndDlg || !_hWndFocus || !IsChild(_w.hWndDlg, _hWndFocus))
        return;
    if (_wKey == KEY_ENTER && IsButton(_hWndFocus))
    {
        const int iId = GetDlgCtrlID(_hWndFocus);
        PostMessageW(GetParent(_hWndFocus), WM_COMMAND, MAKEWPARAM(iId, BN_CLICKED),
                     reinterpret_cast<LPARAM>(_hWndFocus));
        return;
    }
    const HWND hWndNext = NextSettingsFocus(_w, _hWndFocus);
    if (hWndNext)
        PostMessageW(_w.hWndDlg, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hWndNext), TRUE);
}
