#include "ui/SettingsLayout.h"

#include <algorithm>

#include "ui/QelDlgColors.h"

namespace {

// One row of the layout table. A position or size is the fixed part plus, when the flag is
// set, the client width or height; the fixed parts are pixels at 96 DPI.
struct SLayoutRow
{
    int x;
    bool bXFromRight;
    int y;
    bool bYFromBottom;
    int iWidth;
    bool bWidthFromClient;
    int iHeight;
    bool bHeightFromClient;
};

const SLayoutRow LAYOUT[SETTINGS_CONTROL_COUNT] = {
    {5, false, 5, false, 245, false, -10, true},      // tree: 5, 5, 245, H - 10
    {260, false, 5, false, 300, false, 25, false},    // title: 260, 5, 300, 25
    {-280, true, -35, true, 90, false, 25, false},    // Close: W - 280, H - 35, 90, 25
    {-185, true, -35, true, 90, false, 25, false},    // Apply: W - 185, H - 35, 90, 25
    {-90, true, -35, true, 80, false, 25, false},     // Help: W - 90, H - 35, 80, 25
    {260, false, 40, false, -270, true, -85, true},   // page: 260, 40, W - 270, H - 85
};

const int PANE_STRIP_WIDTH = 250;
const LONG MIN_TRACK_WIDTH = 800;
const LONG MIN_TRACK_HEIGHT = 600;

int Place(int _iFixed, bool _bFromClient, int _iClient, int _iDpi)
{
    return ScaleToDpi(_iFixed, _iDpi) + (_bFromClient ? _iClient : 0);
}

}   // namespace

RECT SettingsControlRect(ESettingsControl _eControl, int _iWidth, int _iHeight, int _iDpi)
{
    const SLayoutRow& row = LAYOUT[_eControl];
    const int x = Place(row.x, row.bXFromRight, _iWidth, _iDpi);
    const int y = Place(row.y, row.bYFromBottom, _iHeight, _iDpi);
    const int cx = Place(row.iWidth, row.bWidthFromClient, _iWidth, _iDpi);
    const int cy = Place(row.iHeight, row.bHeightFromClient, _iHeight, _iDpi);
    const RECT rc = {x, y, x + cx, y + cy};
    return rc;
}

void LayOutSettings(HWND _hWndDlg, const HWND (&_ahWndControls)[SETTINGS_CONTROL_COUNT], int _iDpi)
{
    RECT rcClient = {};
    if (!GetClientRect(_hWndDlg, &rcClient))
        return;
    for (int i = 0; i < SETTINGS_CONTROL_COUNT; ++i)
    {
        if (!_ahWndControls[i])
            continue;
        const RECT rc = SettingsControlRect(static_cast<ESettingsControl>(i), rcClient.right, rcClient.bottom, _iDpi);
        SetWindowPos(_ahWndControls[i], nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(_hWndDlg, nullptr, TRUE);
}

void PaintSettingsBackground(HWND _hWndDlg, HDC _hdc, int _iDpi)
{
    RECT rc = {};
    GetClientRect(_hWndDlg, &rc);
    if (const HBRUSH hbrBackground = g_DlgColors.GetBrush(QEL_BRUSH_BACKGROUND))
        FillRect(_hdc, &rc, hbrBackground);
    rc.right = ScaleToDpi(PANE_STRIP_WIDTH, _iDpi);
    if (const HBRUSH hbrPane = g_DlgColors.GetBrush(QEL_BRUSH_PANEBACK))
        FillRect(_hdc, &rc, hbrPane);
}

void LimitSettingsSize(MINMAXINFO* _pInfo, int _iDpi, const RECT& _rcWork)
{
    _pInfo->ptMinTrackSize.x = std::min<LONG>(ScaleToDpi(MIN_TRACK_WIDTH, _iDpi), _rcWork.right - _rcWork.left);
    _pInfo->ptMinTrackSize.y = std::min<LONG>(ScaleToDpi(MIN_TRACK_HEIGHT, _iDpi), _rcWork.bottom - _rcWork.top);
}
