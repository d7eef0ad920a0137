#include "TrayGui.h"

#include <algorithm>
#include <cstdlib>

#include "TelvarinPlugin.h"

namespace {

const UINT TRAY_CALLBACK = 1129;
const UINT TRAY_ID_BASE = 2311;
const int GROUND_PIXELS = 40;

bool IsGround(COLORREF _cr, EGround _eGround)
{
    const int r = GetRValue(_cr), g = GetGValue(_cr), b = GetBValue(_cr);
    switch (_eGround)
    {
    case EGround::Green: return g > 100 && g > r + 50 && g > b + 40;
    case EGround::Amber: return r > 180 && g > 100 && g < r - 30 && b < 80;
    case EGround::Grey: return r >= 0x50 && r <= 0xB0 && std::abs(r - g) < 12 && std::abs(g - b) < 12;
    }
    return false;
}

} // namespace

int CountGround(const CScreenImage& _image, EGround _eGround)
{
    int iCount = 0;
    for (int y = 0; y < _image.Height(); ++y)
        for (int x = 0; x < _image.Width(); ++x)
            iCount += IsGround(_image.Pixel(x, y), _eGround);
    return iCount;
}

bool ShowsGround(EGround _eGround)
{
    return tvr::WaitUntil([&]() { return CountGround(CScreenImage(TrayIconArea()), _eGround) >= GROUND_PIXELS; }, WAIT_MS);
}

RECT MenuShotArea(HWND _hWndMenu)
{
    RECT rcMenu = {};
    GetWindowRect(_hWndMenu, &rcMenu);
    const RECT rcTray = TrayIconArea();
    const RECT rc = {std::max(0L, std::min(rcMenu.left, rcTray.left) - 10), std::max(0L, rcMenu.top - 10), rcTray.right,
                     rcTray.bottom};
    return rc;
}

// As input, so that the window under the mouse gets the moves.
void MoveMouse(int _x, int _y)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(_x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(_y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(input));
}

void PressKey(HWND _hWnd, UINT _uKey)
{
    PostMessageW(_hWnd, WM_KEYDOWN, _uKey, 0);
    PostMessageW(_hWnd, WM_KEYUP, _uKey, 0xC0000000);
    Sleep(150);
}

void CTrayHostTest::StartHost()
{
    ASSERT_TRUE(m_Host.Start(m_Folder.ExePath()));
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    m_uIconId = m_Host.Pid() + TRAY_ID_BASE;
}

void CTrayHostTest::SendStatus(int _iState, const std::wstring& _strText)
{
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", std::to_wstring(_iState)}, {L"Text", _strText}}));
}

HWND CTrayHostTest::OpenMenu()
{
    PostMessageW(m_hWnd, TRAY_CALLBACK, m_uIconId, WM_RBUTTONUP);
    HWND hWndMenu = nullptr;
    tvr::WaitUntil([&]() {
        hWndMenu = FindProcessWindow(m_Host.Pid(), L"#32768");
        return hWndMenu != nullptr;
    }, WAIT_MS);
    return hWndMenu;
}
