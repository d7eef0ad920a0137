// The settings window's parts that need no second process: the layout table scaled by the
// DPI, the tree's node maps and colours, and the plug-in answers behind the page title.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include "GlobalListsFixture.h"
#include "ui/QelDlgColors.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsPlugin.h"
#include "ui/SettingsTree.h"

namespace {

RECT Rect(LONG _x, LONG _y, LONG _cx, LONG _cy)
{
    return RECT{_x, _y, _x + _cx, _y + _cy};
}

void ExpectRect(const RECT& _expected, const RECT& _actual, const char* _pszName)
{
    EXPECT_EQ(_expected.left, _actual.left) << _pszName;
    EXPECT_EQ(_expected.top, _actual.top) << _pszName;
    EXPECT_EQ(_expected.right, _actual.right) << _pszName;
    EXPECT_EQ(_expected.bottom, _actual.bottom) << _pszName;
}

} // namespace

TEST(SettingsLayout, TableIsExactAt96AndItsFixedPartsScaleWithTheDpi)
{
    const LONG W = 784, H = 561;
    ExpectRect(Rect(5, 5, 245, H - 10), SettingsControlRect(SETTINGS_TREE, W, H, 96), "tree");
    ExpectRect(Rect(260, 5, 300, 25), SettingsControlRect(SETTINGS_TITLE, W, H, 96), "title");
    ExpectRect(Rect(W - 280, H - 35, 90, 25), SettingsControlRect(SETTINGS_CLOSE, W, H, 96), "Close");
    ExpectRect(Rect(W - 185, H - 35, 90, 25), SettingsControlRect(SETTINGS_APPLY, W, H, 96), "Apply");
    ExpectRect(Rect(W - 90, H - 35, 80, 25), SettingsControlRect(SETTINGS_HELP, W, H, 96), "Help");
    ExpectRect(Rect(260, 40, W - 270, H - 85), SettingsControlRect(SETTINGS_PAGE, W, H, 96), "page");
    // 144 DPI: every fixed length one and a half times (halves rounded away from zero), the
    // client size as it is.
    ExpectRect(Rect(8, 8, 368, H - 15), SettingsControlRect(SETTINGS_TREE, W, H, 144), "tree at 144");
    ExpectRect(Rect(W - 420, H - 53, 135, 38), SettingsControlRect(SETTINGS_CLOSE, W, H, 144), "Close at 144");
    ExpectRect(Rect(390, 60, W - 405, H - 128), SettingsControlRect(SETTINGS_PAGE, W, H, 144), "page at 144");
    MINMAXINFO info = {};
    const RECT rcLargeScreen = {0, 0, 1920, 1040};
    LimitSettingsSize(&info, 96, rcLargeScreen);
    EXPECT_EQ(800, info.ptMinTrackSize.x);
    EXPECT_EQ(600, info.ptMinTrackSize.y);
    LimitSettingsSize(&info, 120, rcLargeScreen);
    EXPECT_EQ(1000, info.ptMinTrackSize.x);
    EXPECT_EQ(750, info.ptMinTrackSize.y);
    // A work area smaller than the scaled minimum is the minimum.
    const RECT rcSmallScreen = {0, 40, 1024, 700};
    LimitSettingsSize(&info, 144, rcSmallScreen);
    EXPECT_EQ(1024, info.ptMinTrackSize.x);
    EXPECT_EQ(660, info.ptMinTrackSize.y);
}

namespace {

tvr::ProbeSettings Probe(const wchar_t* _pszName, int _iCanDisable, int _iDisabled)
{
    tvr::ProbeSettings settings;
    settings.strName = _pszName;
    settings.iCanDisable = _iCanDisable;
    settings.iDisableState = _iDisabled;
    return settings;
}

class SettingsTreeNodes : public tvr::GlobalListsTest
{
protected:
    void SetUp() override
    {
        g_DlgColors.SetScheme(1);
        AddProbe(L"PluginTelephony", L"PluginPhoneZ", Probe(L"Zeta phone", 1, 0));
        AddProbe(L"PluginTelephony", L"PluginPhoneA", Probe(L"Alpha phone", 1, 1));
        AddProbe(L"PluginExtra", L"PluginExtraA", Probe(L"Tools", 0, 0));
        LoadAll();
        m_hWnd = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 300, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_Tree.Create(m_hWnd, nullptr));
    }
    void TearDown() override
    {
        DestroyWindow(m_hWnd);
        g_DlgColors.SetScheme(0);
    }
    HTREEITEM Child(HTREEITEM _hParent, const wchar_t* _pszText) const
    {
        for (HTREEITEM h = TreeView_GetChild(m_Tree.GetWindow(), _hParent); h; h = TreeView_GetNextSibling(m_Tree.GetWindow(), h))
            if (Text(h) == _pszText)
                return h;
        return nullptr;
    }
    HTREEITEM Root(const wchar_t* _pszText) const
    {
        for (HTREEITEM h = TreeView_GetRoot(m_Tree.GetWindow()); h; h = TreeView_GetNextSibling(m_Tree.GetWindow(), h))
            if (Text(h) == _pszText)
                return h;
        return nullptr;
    }
    std::wstring Text(HTREEITEM _hNode) const
    {
        wchar_t szText[CSettingsTree::NODE_TEXT_CHARS];
        m_Tree.GetText(_hNode, szText, ARRAYSIZE(szText));
        return szText;
    }
    // The item stage of custom draw for a node in a state: the text and ground colours set.
    NMTVCUSTOMDRAW Draw(HTREEITEM _hNode, UINT _uState, LRESULT* _plResult) const
    {
        NMTVCUSTOMDRAW draw = {};
        draw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
        draw.nmcd.dwItemSpec = reinterpret_cast<DWORD_PTR>(_hNode);
        draw.nmcd.uItemState = _uState;
        draw.clrText = CLR_DEFAULT;
        draw.clrTextBk = CLR_DEFAULT;
        *_plResult = m_Tree.OnCustomDraw(&draw);
        return draw;
    }

    HWND m_hWnd = nullptr;
    CSettingsTree m_Tree;
};

} // namespace

TEST_F(SettingsTreeNodes, PluginNodesAreSortedAndMappedToTheirModulesBothWays)
{
    const HTREEITEM hPhones = Root(L"Telephony");
    ASSERT_NE(nullptr, hPhones);
    EXPECT_EQ(L"Alpha phone", Text(TreeView_GetChild(m_Tree.GetWindow(), hPhones)));
    EXPECT_EQ(m_Tree.GetModuleInfoNode(), TreeView_GetRoot(m_Tree.GetWindow()));
    for (int iSlot = 0; iSlot < 2; ++iSlot)
    {
        const HMODULE hModule = g_PluginTelephony.GetModuleHandle(iSlot);
        const HTREEITEM hNode = m_Tree.FindNode(hModule);
        ASSERT_NE(nullptr, hNode);
        EXPECT_EQ(g_PluginTelephony.GetModuleName(iSlot), Text(hNode));
        EXPECT_EQ(hModule, m_Tree.FindModule(hNode));
    }
    EXPECT_EQ(nullptr, m_Tree.FindModule(hPhones)) << "a category node has no module";
    EXPECT_EQ(nullptr, m_Tree.FindModule(m_Tree.GetModuleInfoNode()));
    EXPECT_EQ(nullptr, m_Tree.FindNode(reinterpret_cast<HMODULE>(0x12340000)));
    EXPECT_EQ(nullptr, m_Tree.FindNode(nullptr));
}

TEST_F(SettingsTreeNodes, NodeColoursFollowTheWholeItemStateAndTheModulesDisableState)
{
    const HTREEITEM hZeta = Child(Root(L"Telephony"), L"Zeta phone");
    const HTREEITEM hAlpha = Child(Root(L"Telephony"), L"Alpha phone");
    ASSERT_TRUE(hZeta && hAlpha);
    NMTVCUSTOMDRAW prepaint = {};
    prepaint.nmcd.dwDrawStage = CDDS_PREPAINT;
    EXPECT_EQ(CDRF_NOTIFYITEMDRAW, m_Tree.OnCustomDraw(&prepaint));
    LRESULT lResult = 0;
    NMTVCUSTOMDRAW draw = Draw(hZeta, CDIS_SELECTED, &lResult);
    EXPECT_EQ(CDRF_NEWFONT, lResult);
    EXPECT_EQ(RGB(255, 255, 255), draw.clrText);
    EXPECT_EQ(QEL_SELECTION_COLOR, draw.clrTextBk);
    draw = Draw(hZeta, CDIS_FOCUS, &lResult);
    EXPECT_EQ(RGB(255, 255, 255), draw.clrText);
    EXPECT_EQ(CLR_DEFAULT, draw.clrTextBk);
    // Selected and focused together: the node's own colour, on the selection ground.
    draw = Draw(hZeta, CDIS_SELECTED | CDIS_FOCUS, &lResult);
    EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_MODULETEXT), draw.clrText);
    EXPECT_EQ(QEL_SELECTION_COLOR, draw.clrTextBk);
    EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_MODULETEXT), Draw(hZeta, 0, &lResult).clrText);
    EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_DISABLEDMODULETEXT), Draw(hAlpha, 0, &lResult).clrText);
    EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_NODETEXT), Draw(Root(L"Telephony"), CDIS_HOT, &lResult).clrText);
    EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_NODETEXT), Draw(m_Tree.GetModuleInfoNode(), 0, &lResult).clrText);
    EXPECT_EQ(static_cast<COLORREF>(0x20FFFF), g_DlgColors.GetColor(QEL_COLOR_NODETEXT)) << "scheme 1";
}

TEST_F(SettingsTreeNodes, TitleIsGreyedOnlyForADisabledModuleThatCanBeDisabled)
{
    const HMODULE hZeta = m_Tree.FindModule(Child(Root(L"Telephony"), L"Zeta phone"));
    const HMODULE hAlpha = m_Tree.FindModule(Child(Root(L"Telephony"), L"Alpha phone"));
    const HMODULE hTools = m_Tree.FindModule(Child(Root(L"Extra"), L"Tools"));
    ASSERT_TRUE(hZeta && hAlpha && hTools);
    EXPECT_FALSE(ShowsTitleGreyed(hZeta));
    EXPECT_TRUE(ShowsTitleGreyed(hAlpha));
    EXPECT_FALSE(ShowsTitleGreyed(hTools)) << "cannot be disabled";
    EXPECT_FALSE(ShowsTitleGreyed(GetModuleHandleW(nullptr))) << "no exports at all";
    EXPECT_TRUE(ReportsDisabled(hAlpha));
    EXPECT_FALSE(ReportsDisabled(hZeta));
    int iId = -1;
    EXPECT_FALSE(QueryPluginId(GetModuleHandleW(nullptr), &iId));
    EXPECT_EQ(-1, iId);
    // The probe's page is a child of the window it is given; nothing for a module without the export.
    const HWND hWndPage = ShowPluginPage(hZeta, m_hWnd);
    ASSERT_NE(nullptr, hWndPage);
    EXPECT_EQ(m_hWnd, GetParent(hWndPage));
    EXPECT_EQ(nullptr, ShowPluginPage(GetModuleHandleW(nullptr), m_hWnd));
}
