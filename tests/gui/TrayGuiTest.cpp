// The host's tray icon, tray menu and information dialog, observed from another process on
// the virtual desktop with its taskbar.
#include <windows.h>

#include "GuiTest.h"
#include "TelvarinPlugin.h"

namespace {

const UINT TRAY_CALLBACK = 1129;
const DWORD WAIT_MS = 10000;

enum class EGround { Green, Grey, Amber };

// Pixels of the icon's ground colour in the notification area.
int CountGround(const CScreenImage& _image, EGround _eGround)
{
    int iCount = 0;
    for (int y = 0; y < _image.Height(); ++y)
        for (int x = 0; x < _image.Width(); ++x)
        {
            const int r = GetRValue(_image.Pixel(x, y)), g = GetGValue(_image.Pixel(x, y)), b = GetBValue(_image.Pixel(x, y));
            switch (_eGround)
            {
            case EGround::Green: iCount += g > 100 && g > r + 50 && g > b + 40; break;
            case EGround::Amber: iCount += r > 180 && g > 100 && g < r - 30 && b < 80; break;
            case EGround::Grey: iCount += r >= 0x50 && r <= 0xB0 && std::abs(r - g) < 12 && std::abs(g - b) < 12; break;
            }
        }
    return iCount;
}

bool ShowsGround(EGround _eGround)
{
    return tvr::WaitUntil([&]() { return CountGround(CScreenImage(TrayIconArea()), _eGround) >= 40; }, WAIT_MS);
}

HWND FindProcessWindow(DWORD _dwPid, const wchar_t* _pszClass)
{
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExW(nullptr, hWnd, _pszClass, nullptr)) != nullptr)
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == _dwPid && IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}

HWND WaitForMenu()
{
    HWND hWndMenu = nullptr;
    tvr::WaitUntil([&]() {
        hWndMenu = FindWindowW(L"#32768", nullptr);
        return hWndMenu && IsWindowVisible(hWndMenu);
    }, WAIT_MS);
    return hWndMenu;
}

// Moves the mouse as a user would: as input, so that the window under it gets the moves.
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

// The rectangle of the menu and the icons together, for the picture of both.
RECT MenuShotArea(HWND _hWndMenu)
{
    RECT rcMenu = {};
    GetWindowRect(_hWndMenu, &rcMenu);
    const RECT rcTray = TrayIconArea();
    RECT rc = {std::min(rcMenu.left, rcTray.left) - 10, rcMenu.top - 10, rcTray.right, rcTray.bottom};
    return rc;
}

class TrayHost : public GuiTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        if (IsSkipped())
            return;
        ASSERT_TRUE(m_Host.Start(m_Folder.ExePath()));
        m_hWnd = m_Host.WaitForWindow();
        ASSERT_NE(nullptr, m_hWnd);
        m_uIconId = m_Host.Pid() + 2311;
    }
    void TearDown() override { m_Host.Kill(); }
    void SendStatus(int _iState, const std::wstring& _strText = L"")
    {
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", std::to_wstring(_iState)}, {L"Text", _strText}}));
    }
    void OpenMenu() { PostMessageW(m_hWnd, TRAY_CALLBACK, m_uIconId, WM_RBUTTONUP); }
    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    HWND m_hWnd = nullptr;
    UINT m_uIconId = 0;
};

} // namespace

TEST_F(TrayHost, IconFollowsTheStatusMessages)
{
    // At start the icon shows state 0 (grey); "OK" turns it green, "PAUSED" amber.
    EXPECT_TRUE(ShowsGround(EGround::Grey));
    SendStatus(2);
    EXPECT_TRUE(ShowsGround(EGround::Green));
    CScreenImage(TrayIconArea()).SavePng(L"tray-ok");
    SendStatus(4);
    EXPECT_TRUE(ShowsGround(EGround::Amber));
    CScreenImage(TrayIconArea()).SavePng(L"tray-paused");
    SendStatus(3, L"Leitung getrennt");
    EXPECT_TRUE(ShowsGround(EGround::Grey));
    CScreenImage(TrayIconArea()).SavePng(L"tray-error");
    SendStatus(1);
    EXPECT_TRUE(ShowsGround(EGround::Grey));
    SendStatus(0);
    EXPECT_TRUE(ShowsGround(EGround::Grey));
    SendStatus(9);   // unknown: as OK
    EXPECT_TRUE(ShowsGround(EGround::Green));
}

TEST_F(TrayHost, MenuSecondItemOpensTheInformationDialogWithItsLink)
{
    SendStatus(2);
    ASSERT_TRUE(ShowsGround(EGround::Green));
    OpenMenu();
    const HWND hWndMenu = WaitForMenu();
    ASSERT_NE(nullptr, hWndMenu);
    Sleep(300);
    EXPECT_TRUE(CScreenImage(MenuShotArea(hWndMenu)).SavePng(L"tray-menu"));
    // Settings, Info: the second item opens the information dialog.
    PressKey(hWndMenu, VK_DOWN);
    PressKey(hWndMenu, VK_DOWN);
    PressKey(hWndMenu, VK_RETURN);
    HWND hDlg = nullptr;
    ASSERT_TRUE(tvr::WaitUntil([&]() { return (hDlg = FindProcessWindow(m_Host.Pid(), L"#32770")) != nullptr; }, WAIT_MS));
    RECT rcLink = {};
    GetWindowRect(GetDlgItem(hDlg, 1015), &rcLink);
    MoveMouse(rcLink.left + 20, (rcLink.top + rcLink.bottom) / 2);
    const COLORREF crHover = RGB(192, 0, 192);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return CScreenImage(rcLink).Count(crHover, 40) > 10; }, WAIT_MS));
    RECT rcDlg = {};
    GetWindowRect(hDlg, &rcDlg);
    EXPECT_TRUE(CScreenImage(rcDlg).SavePng(L"info-dialog-hover"));
    POINT ptOff = {8, 8};   // inside the dialog, away from the link
    ClientToScreen(hDlg, &ptOff);
    MoveMouse(ptOff.x, ptOff.y);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return CScreenImage(rcLink).Count(crHover, 40) == 0; }, WAIT_MS));
    EXPECT_GT(CScreenImage(rcLink).Count(RGB(0, 0, 192), 40), 10);
    PostMessageW(hDlg, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hDlg); }, WAIT_MS));
}

TEST_F(TrayHost, LastMenuItemEndsTheHostAndRemovesTheIcon)
{
    SendStatus(2);
    ASSERT_TRUE(ShowsGround(EGround::Green));
    OpenMenu();
    const HWND hWndMenu = WaitForMenu();
    ASSERT_NE(nullptr, hWndMenu);
    PressKey(hWndMenu, VK_UP);   // from no selection to the last item, "Beenden"
    PressKey(hWndMenu, VK_RETURN);
    DWORD dwExitCode = 1;
    ASSERT_TRUE(m_Host.WaitForExit(WAIT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_TRUE(tvr::WaitUntil([]() { return CountGround(CScreenImage(TrayIconArea()), EGround::Green) < 5; }, WAIT_MS));
}
