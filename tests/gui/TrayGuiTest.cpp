// The host's tray icon, tray menu and information dialog, observed from another process on
// the virtual desktop with its taskbar.
#include <windows.h>

#include "GuiTest.h"
#include "TrayGui.h"

namespace {

class TrayHost : public CTrayHostTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        if (!IsSkipped())
            StartHost();
    }
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
    const HWND hWndMenu = OpenMenu();
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
    POINT ptOff = {8, 8};   // inside the dialog, away from the link
    ClientToScreen(hDlg, &ptOff);
    // Onto the link from elsewhere in the dialog, as a hand would move (the pointer may
    // already rest where the link now is).
    MoveMouse(ptOff.x, ptOff.y);
    Sleep(200);
    MoveMouse(rcLink.left + 20, (rcLink.top + rcLink.bottom) / 2);
    Sleep(100);
    MoveMouse(rcLink.left + 22, (rcLink.top + rcLink.bottom) / 2);
    const COLORREF crHover = RGB(192, 0, 192);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return CScreenImage(rcLink).Count(crHover, 40) > 10; }, WAIT_MS));
    RECT rcDlg = {};
    GetWindowRect(hDlg, &rcDlg);
    EXPECT_TRUE(CScreenImage(rcDlg).SavePng(L"info-dialog-hover"));
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
    const HWND hWndMenu = OpenMenu();
    ASSERT_NE(nullptr, hWndMenu);
    PressKey(hWndMenu, VK_UP);   // from no selection to the last item, "Beenden"
    PressKey(hWndMenu, VK_RETURN);
    DWORD dwExitCode = 1;
    ASSERT_TRUE(m_Host.WaitForExit(WAIT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_TRUE(tvr::WaitUntil([]() { return CountGround(CScreenImage(TrayIconArea()), EGround::Green) < 5; }, WAIT_MS));
}
