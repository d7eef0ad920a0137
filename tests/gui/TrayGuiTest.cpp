// The host's tray icon, tray menu and information dialog, observed from another process on
// the virtual desktop with its taskbar.
#include <windows.h>
#include <algorithm>
#include <string>

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
    // The pointer keeps moving over the link while the test waits: on a loaded machine the
    // first moves can arrive before the dialog tracks its link.
    MoveMouse(ptOff.x, ptOff.y);
    Sleep(200);
    const COLORREF crHover = RGB(192, 0, 192);
    int iNudge = 0;
    EXPECT_TRUE(tvr::WaitUntil([&]() {
        MoveMouse(rcLink.left + 20 + (iNudge++ % 2) * 2, (rcLink.top + rcLink.bottom) / 2);
        Sleep(100);
        return CScreenImage(rcLink).Count(crHover, 40) > 10;
    }, WAIT_MS));
    RECT rcDlg = {};
    GetWindowRect(hDlg, &rcDlg);
    EXPECT_TRUE(CScreenImage(rcDlg).SavePng(L"info-dialog-hover"));
    MoveMouse(ptOff.x, ptOff.y);
    // The link is drawn anew after the pointer left: its hover colour gone, its own colour back.
    EXPECT_TRUE(tvr::WaitUntil([&]() {
        const CScreenImage image(rcLink);
        return image.Count(crHover, 40) == 0 && image.Count(RGB(0, 0, 192), 40) > 10;
    }, WAIT_MS));
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

// The shell shows the icon's tooltip when the mouse rests on the icon. Wine's shell gives
// other processes no text of it and draws only its first line (the product name), so the
// 127-character rule itself is checked by the ErrorTip unit tests; here the error state's
// tooltip is seen and photographed.
TEST_F(TrayHost, ErrorTooltipAppearsOverTheIcon)
{
    SendStatus(3, std::wstring(120, L'x'));
    ASSERT_TRUE(ShowsGround(EGround::Grey));
    const RECT rcTray = TrayIconArea();
    // The icon's right edge: the last column with its grey ground.
    int iRight = -1;
    const CScreenImage image(rcTray);
    for (int x = 0; x < image.Width(); ++x)
        if (CountGround(CScreenImage({rcTray.left + x, rcTray.top, rcTray.left + x + 1, rcTray.bottom}), EGround::Grey) > 0)
            iRight = x;
    ASSERT_GE(iRight, 0);
    MoveMouse(rcTray.left + iRight - 8, (rcTray.top + rcTray.bottom) / 2);
    Sleep(100);
    MoveMouse(rcTray.left + iRight - 6, (rcTray.top + rcTray.bottom) / 2);
    HWND hWndTip = nullptr;
    EXPECT_TRUE(tvr::WaitUntil([&]() {
        for (HWND hWnd = FindWindowExW(nullptr, nullptr, L"tooltips_class32", nullptr); hWnd && !hWndTip;
             hWnd = FindWindowExW(nullptr, hWnd, L"tooltips_class32", nullptr))
            if (IsWindowVisible(hWnd))
                hWndTip = hWnd;
        return hWndTip != nullptr;
    }, WAIT_MS));
    if (hWndTip)
    {
        RECT rcTip = {};
        GetWindowRect(hWndTip, &rcTip);
        EXPECT_GT(rcTip.bottom, rcTip.top);
        const RECT rcShot = {std::max(0L, rcTip.left - 60), std::max(0L, rcTip.top - 10), rcTray.right, rcTray.bottom};
        EXPECT_TRUE(CScreenImage(rcShot).SavePng(L"tray-error-tooltip"));
    }
    MoveMouse(10, 10);
}
