// Tray menu items that plug-ins add, change and remove through bus messages, observed from
// another process on the desktop, and the shell's TaskbarCreated broadcast.
#include <windows.h>
#include <shellapi.h>

#include "GuiTest.h"
#include "ProbeLog.h"
#include "TelvarinPlugin.h"
#include "TrayGui.h"
#include "UiResources.h"
#include "ui/TrayIcon.h"

namespace {

const wchar_t PLUGIN_ITEM[] = L"40100";

class TrayPluginMenu : public CTrayHostTest
{
protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        if (IsSkipped())
            return;
        m_strLog = m_Folder.Child(L"probe.log");
        ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginExtraP.DLL", m_strLog, tvr::ProbeSettings()));
        StartHost();
    }
    void Send(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields)
    {
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(_uType, _vecFields));
    }
    // Opens the menu, measures it, keeps a picture when asked, and closes it again.
    RECT MeasureMenu(const wchar_t* _pszShot = nullptr)
    {
        RECT rc = {};
        const HWND hWndMenu = OpenMenu();
        if (!hWndMenu)
            return rc;
        Sleep(250);
        GetWindowRect(hWndMenu, &rc);
        if (_pszShot)
            CScreenImage(MenuShotArea(hWndMenu)).SavePng(_pszShot);
        PressKey(hWndMenu, VK_ESCAPE);
        tvr::WaitUntil([&]() { return !IsWindowVisible(hWndMenu); }, WAIT_MS);
        return rc;
    }
    // Chooses the plug-in's item: settings, info, then the item (separators are skipped).
    void ChoosePluginItem()
    {
        const HWND hWndMenu = OpenMenu();
        ASSERT_NE(nullptr, hWndMenu);
        for (int i = 0; i < 3; ++i)
            PressKey(hWndMenu, VK_DOWN);
        PressKey(hWndMenu, VK_RETURN);
    }
    bool PluginsGotTheCommand(DWORD _dwMs)
    {
        return tvr::WaitForProbeCall(m_strLog, [](const tvr::ProbeCall& _call) {
            return _call.strCall == "BusProcess" && _call.strType == "1" && _call.Field("WParam") == "40100";
        }, _dwMs);
    }
    std::wstring m_strLog;
};

LONG Height(const RECT& _rc) { return _rc.bottom - _rc.top; }
LONG Width(const RECT& _rc) { return _rc.right - _rc.left; }

} // namespace

TEST_F(TrayPluginMenu, ItemsFollowTheBusMessagesAndTheirCommandReachesThePlugins)
{
    const RECT rcFixed = MeasureMenu();
    ASSERT_GT(Height(rcFixed), 0);
    // Type 12: above the exit item, with a separator between them.
    Send(QEL_BUSMSG_MENUADD, {{L"ID", PLUGIN_ITEM}, {L"Seperator", L"1"}, {L"Text", L"Anrufliste"}});
    const RECT rcAdded = MeasureMenu(L"tray-menu-plugin");
    EXPECT_GT(Height(rcAdded), Height(rcFixed));
    // Type 7 greys it: choosing it sends nothing; enabled again, it reaches the plug-ins as type 1.
    Send(QEL_BUSMSG_MENUENABLE, {{L"ID", PLUGIN_ITEM}, {L"Enable", L"0"}});
    ChoosePluginItem();
    EXPECT_FALSE(PluginsGotTheCommand(1500));
    Send(QEL_BUSMSG_MENUENABLE, {{L"ID", PLUGIN_ITEM}, {L"Enable", L"1"}});
    ChoosePluginItem();
    EXPECT_TRUE(PluginsGotTheCommand(WAIT_MS));
    // Type 61 relabels it (a longer text widens the menu), type 79 checks it.
    Send(QEL_BUSMSG_MENUTEXT, {{L"ID", PLUGIN_ITEM}, {L"Text", L"Anrufliste der letzten sieben Tage anzeigen"}});
    Send(QEL_BUSMSG_MENUCHECK, {{L"ID", PLUGIN_ITEM}, {L"Enable", L"1"}});
    const RECT rcLabelled = MeasureMenu(L"tray-menu-plugin-checked");
    EXPECT_GT(Width(rcLabelled), Width(rcAdded));
    // Type 60 hides it with the separator above it; shown again it goes to the end, type 78
    // removes it with its separator.
    Send(QEL_BUSMSG_MENUITEM, {{L"ID", PLUGIN_ITEM}, {L"Visible", L"0"}, {L"Separator", L"1"}, {L"Text", L""}});
    EXPECT_EQ(Height(rcFixed), Height(MeasureMenu()));
    Send(QEL_BUSMSG_MENUITEM, {{L"ID", PLUGIN_ITEM}, {L"Visible", L"1"}, {L"Separator", L"1"}, {L"Text", L"Wahl"}});
    EXPECT_EQ(Height(rcAdded), Height(MeasureMenu()));
    Send(QEL_BUSMSG_MENUSEPARATOR, {{L"ID", PLUGIN_ITEM}, {L"Seperator", L"1"}});
    EXPECT_EQ(Height(rcFixed), Height(MeasureMenu()));
}

// The host's monitor thread re-adds the icon every 3 seconds under Wine (the shell does not
// answer Shell_NotifyIconGetRect), so the broadcast is shown here on a tray icon of this
// process, which has no monitor: the shell loses the icon, the broadcast puts it back.
TEST_F(GuiTest, TaskbarCreatedPutsTheIconBackAtOnce)
{
    const HWND hWndOwner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWndOwner);
    CTrayIcon icon;
    icon.SetEnabled(TRUE);
    icon.Create(GetModuleHandleW(nullptr), hWndOwner, 1129, 7, IDI_STATE1, IDI_STATE0, IDI_STATE2);
    icon.SetState(2);
    ASSERT_TRUE(ShowsGround(EGround::Amber));
    NOTIFYICONDATAW data = icon.GetNotifyData();
    ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &data));
    ASSERT_TRUE(tvr::WaitUntil([]() { return CountGround(CScreenImage(TrayIconArea()), EGround::Amber) < 5; }, WAIT_MS));
    EXPECT_TRUE(icon.OnTaskbarCreated(RegisterWindowMessageW(L"TaskbarCreated")));
    EXPECT_TRUE(ShowsGround(EGround::Amber));
    icon.Show(FALSE);
    EXPECT_TRUE(tvr::WaitUntil([]() { return CountGround(CScreenImage(TrayIconArea()), EGround::Amber) < 5; }, WAIT_MS));
    DestroyWindow(hWndOwner);
}
