#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "ui/InfoIcon.h"
#include "UiResources.h"

namespace {

const UINT PLUGIN_ID = 40001;

// The menu as "text" lines, "-" for separators, top to bottom.
std::vector<std::wstring> Items(HMENU _hMenu)
{
    std::vector<std::wstring> items;
    for (int i = 0; i < GetMenuItemCount(_hMenu); ++i)
    {
        wchar_t szText[256] = L"";
        MENUITEMINFOW info = {};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STRING;
        info.dwTypeData = szText;
        info.cch = ARRAYSIZE(szText);
        GetMenuItemInfoW(_hMenu, i, TRUE, &info);
        items.push_back((info.fType & MFT_SEPARATOR) ? L"-" : szText);
    }
    return items;
}

using Lines = std::vector<std::wstring>;

// A menu of its own per test, loaded from the program's menu resource as the tray's is.
class TrayMenu : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_NE(nullptr, m_Icon.GetMenu());
        m_Icon.Localize();
        m_Icon.RemoveServiceItems();
    }
    CInfoIcon m_Icon;
};

} // namespace

TEST(TrayMenuResource, HoldsTheFixedItemsWithTheirIdsAndGermanTexts)
{
    CInfoIcon icon;
    const HMENU hMenu = icon.GetMenu();
    ASSERT_NE(nullptr, hMenu);
    EXPECT_EQ((Lines{L"Einstellungen", L"Hilfe", L"Info", L"-", L"Stop", L"Fortsetzen", L"-", L"Beenden"}), Items(hMenu));
    const UINT auIds[] = {32778, 32782, 32780, 0, 11005, 11006, 0, 11007};
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(auIds[i], static_cast<UINT>(GetMenuItemID(hMenu, i))) << i;
}

TEST(TrayMenuResource, LocalizeGreysContinueAndDropsHelp)
{
    CInfoIcon icon;
    icon.Localize();
    // No language module here: the default texts apply.
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Pause", L"Fortsetzen", L"-", L"Beenden"}), Items(icon.GetMenu()));
    EXPECT_TRUE(GetMenuState(icon.GetMenu(), IDM_TRAY_CONTINUE, MF_BYCOMMAND) & MF_GRAYED);
    EXPECT_FALSE(GetMenuState(icon.GetMenu(), IDM_TRAY_PAUSE, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(TrayMenu, TrayModeShowsSettingsInfoSeparatorExit)
{
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Beenden"}), Items(m_Icon.GetMenu()));
    EXPECT_EQ(3, m_Icon.FindItemPosition(IDM_TRAY_EXIT));
    EXPECT_EQ(-1, m_Icon.FindItemPosition(IDM_TRAY_PAUSE));
}

TEST_F(TrayMenu, InsertPutsTheItemAndItsSeparatorAboveTheBeforeItemOnce)
{
    m_Icon.InsertItem(IDM_TRAY_EXIT, PLUGIN_ID, L"Wählen", TRUE);
    m_Icon.InsertItem(IDM_TRAY_EXIT, PLUGIN_ID, L"Again", TRUE);
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Wählen", L"-", L"Beenden"}), Items(m_Icon.GetMenu()));
    EXPECT_EQ(PLUGIN_ID, static_cast<UINT>(GetMenuItemID(m_Icon.GetMenu(), 3)));
    // An unknown before-id appends at the end.
    m_Icon.InsertItem(49999, PLUGIN_ID + 1, L"Last", TRUE);
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Wählen", L"-", L"Beenden", L"-", L"Last"}), Items(m_Icon.GetMenu()));
}

TEST_F(TrayMenu, ShowItemAddsAndHidesWithItsSeparator)
{
    m_Icon.ShowItem(PLUGIN_ID, TRUE, TRUE, L"Shown");
    m_Icon.ShowItem(PLUGIN_ID, TRUE, TRUE, L"Twice");
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Beenden", L"-", L"Shown"}), Items(m_Icon.GetMenu()));
    m_Icon.ShowItem(PLUGIN_ID, FALSE, TRUE, L"");
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-", L"Beenden"}), Items(m_Icon.GetMenu()));
    // The first item has nothing above it: only the item goes.
    m_Icon.ShowItem(IDM_TRAY_SETTINGS, FALSE, TRUE, L"");
    EXPECT_EQ((Lines{L"Info", L"-", L"Beenden"}), Items(m_Icon.GetMenu()));
}

TEST_F(TrayMenu, RemoveItemTakesTheSeparatorAboveWhenAsked)
{
    m_Icon.InsertItem(IDM_TRAY_EXIT, PLUGIN_ID, L"Plug-in", FALSE);
    m_Icon.RemoveItem(IDM_TRAY_EXIT, TRUE);
    EXPECT_EQ((Lines{L"Einstellungen", L"Info", L"-"}), Items(m_Icon.GetMenu()));
    m_Icon.RemoveItem(IDM_TRAY_SETTINGS, TRUE);   // first item: position -1 deletes nothing more
    EXPECT_EQ((Lines{L"Info", L"-"}), Items(m_Icon.GetMenu()));
    m_Icon.RemoveItem(12345, TRUE);
    EXPECT_EQ((Lines{L"Info", L"-"}), Items(m_Icon.GetMenu()));
}

TEST_F(TrayMenu, TextCheckAndGreyChangeOnlyTheirItem)
{
    m_Icon.SetItemText(IDM_TRAY_INFO, std::wstring(300, L'x').c_str());
    EXPECT_EQ(std::wstring(255, L'x'), Items(m_Icon.GetMenu())[1]);
    EXPECT_EQ(IDM_TRAY_INFO, static_cast<UINT>(GetMenuItemID(m_Icon.GetMenu(), 1)));
    m_Icon.CheckItem(IDM_TRAY_INFO, TRUE);
    EXPECT_TRUE(GetMenuState(m_Icon.GetMenu(), IDM_TRAY_INFO, MF_BYCOMMAND) & MF_CHECKED);
    m_Icon.CheckItem(IDM_TRAY_INFO, FALSE);
    EXPECT_FALSE(GetMenuState(m_Icon.GetMenu(), IDM_TRAY_INFO, MF_BYCOMMAND) & MF_CHECKED);
    m_Icon.EnableItem(IDM_TRAY_SETTINGS, FALSE);
    EXPECT_TRUE(GetMenuState(m_Icon.GetMenu(), IDM_TRAY_SETTINGS, MF_BYCOMMAND) & MF_GRAYED);
    m_Icon.EnableItem(IDM_TRAY_SETTINGS, TRUE);
    EXPECT_FALSE(GetMenuState(m_Icon.GetMenu(), IDM_TRAY_SETTINGS, MF_BYCOMMAND) & MF_GRAYED);
    m_Icon.AppendItem(1, L"ignored");
    m_Icon.DeleteItem(IDM_TRAY_INFO);
    EXPECT_EQ((Lines{L"Einstellungen", L"-", L"Beenden", L"-"}), Items(m_Icon.GetMenu()));
}

TEST(TrayIconData, CreateOnceLoadsSmallIconsAndStatesPickThem)
{
    const HWND hWnd = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    CTrayIcon icon;
    icon.SetEnabled(TRUE);
    icon.Create(GetModuleHandleW(nullptr), hWnd, 1129, 77, IDI_STATE1, IDI_STATE0, 0);
    icon.Create(GetModuleHandleW(nullptr), nullptr, 1, 1, IDI_STATE2, IDI_STATE2, IDI_STATE2);
    const NOTIFYICONDATAW& data = icon.GetNotifyData();
    EXPECT_EQ(hWnd, data.hWnd);
    EXPECT_EQ(1129u, data.uCallbackMessage);
    EXPECT_EQ(77u, data.uID);
    EXPECT_EQ(7u, data.uFlags);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon.GetIcon(), &info));
    BITMAP bm = {};
    GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm);
    EXPECT_EQ(16, bm.bmWidth);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    icon.SetState(1);
    EXPECT_EQ(icon.GetIcon(), data.hIcon);
    EXPECT_EQ(sizeof(NOTIFYICONDATAW), data.cbSize);
    EXPECT_TRUE(icon.IsShown());
    icon.SetState(0);
    EXPECT_NE(nullptr, data.hIcon);
    EXPECT_NE(icon.GetIcon(), data.hIcon);
    icon.SetState(2);   // no third icon was given
    EXPECT_EQ(nullptr, data.hIcon);
    icon.SetEnabled(FALSE);
    icon.SetState(1);   // disabled: nothing changes
    EXPECT_EQ(nullptr, data.hIcon);
    DestroyWindow(hWnd);
}

TEST(TrayIconData, TipIsCutTo127Characters)
{
    CTrayIcon icon;
    icon.SetTip(std::wstring(200, L't').c_str());
    EXPECT_EQ(std::wstring(127, L't'), icon.GetNotifyData().szTip);
    icon.SetTip(nullptr);
    EXPECT_STREQ(L"", icon.GetNotifyData().szTip);
}

TEST(TrayIconData, TaskbarCreatedIsRecognisedOnlyAfterCreate)
{
    const UINT uTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
    CTrayIcon icon;
    EXPECT_FALSE(icon.OnTaskbarCreated(uTaskbarCreated));
    icon.Create(GetModuleHandleW(nullptr), nullptr, 1129, 1, IDI_STATE1, IDI_STATE0, IDI_STATE2);
    EXPECT_TRUE(icon.OnTaskbarCreated(uTaskbarCreated));
    EXPECT_FALSE(icon.OnTaskbarCreated(WM_USER));
}
