// The settings window as a user sees it: Apply on the module info page reaching the
// plug-ins, the tree's colours for active and disabled plug-ins, and the window reopened
// by a scheme or language change, photographed in schemes 0 and 1, in English and German.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>

#include "SettingsGui.h"
#include "TelvarinPlugin.h"
#include "config/VersionTool.h"

namespace {

const SPagePlugin ZETA = {L"PluginTelephony", L"PluginSettingsPageZ", L"Zeta phone", 501, 1, 0};
const SPagePlugin ALPHA = {L"PluginTelephony", L"PluginSettingsPageA", L"Alpha phone", 502, 1, 1};

class SettingsLook : public CSettingsHostTest
{
protected:
    void SetUp() override
    {
        CSettingsHostTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const SPagePlugin& page : {ZETA, ALPHA})
            AddPage(page);
        StartHost();
        ASSERT_NE(nullptr, OpenSettings());
        ASSERT_TRUE(WaitSelected(L"Module info"));
        SetForegroundWindow(m_hWndSettings);
    }
    // Space on the row, selected alone, as a user toggles its box.
    void Toggle(int _iRow)
    {
        const HWND hWndList = ModuleList();
        LVITEMW state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        CRemoteBuffer buffer(m_Host.Handle(), sizeof(LVITEMW));
        ASSERT_TRUE(buffer.Write(&state, sizeof(state)));
        SendMessageW(hWndList, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(buffer.Address()));
        state.state = LVIS_SELECTED | LVIS_FOCUSED;
        ASSERT_TRUE(buffer.Write(&state, sizeof(state)));
        SendMessageW(hWndList, LVM_SETITEMSTATE, static_cast<WPARAM>(_iRow), reinterpret_cast<LPARAM>(buffer.Address()));
        PressKey(hWndList, VK_SPACE);
    }
    // The darkest channel value in the item's text: black text is near 0, grey text near 0x7F.
    int DarkestIn(HTREEITEM _hItem)
    {
        const CScreenImage image(ItemOnScreen(_hItem));
        int iDarkest = 255;
        for (int y = 0; y < image.Height(); ++y)
            for (int x = 0; x < image.Width(); ++x)
            {
                const COLORREF cr = image.Pixel(x, y);
                iDarkest = std::min({iDarkest, static_cast<int>(GetRValue(cr)), static_cast<int>(GetGValue(cr)),
                                     static_cast<int>(GetBValue(cr))});
            }
        return iDarkest;
    }
    // The window reopened by the change, on the page of the shipped "Scheme config" plug-in.
    void Reopen(int _iScheme, const std::wstring& _strLanguage)
    {
        const HWND hWndOld = m_hWndSettings;
        ChangeScheme(_iScheme, _strLanguage);
        ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hWndOld); }, WAIT_MS));
        ASSERT_NE(nullptr, WaitForSettings());
        ASSERT_TRUE(WaitSelected(L"Scheme config"));
        Sleep(400);   // painted
    }
    void Shoot(const std::wstring& _strName, int _iScheme)
    {
        RECT rc = {};
        GetWindowRect(m_hWndSettings, &rc);
        const CScreenImage image(rc);
        EXPECT_TRUE(image.SavePng(_strName));
        // The strip left of the page in the pane colour, the ground right of the title in the background.
        POINT ptStrip = {2, 300};
        POINT ptGround = {700, 20};
        ClientToScreen(m_hWndSettings, &ptStrip);
        ClientToScreen(m_hWndSettings, &ptGround);
        const COLORREF crPane = _iScheme == 0 ? RGB(0xF0, 0xF0, 0xF0) : RGB(0x8C, 0x8C, 0x8C);
        const COLORREF crGround = _iScheme == 0 ? RGB(0xFF, 0xFF, 0xFF) : RGB(0x3F, 0x3F, 0x3F);
        EXPECT_EQ(crPane, image.Pixel(ptStrip.x - rc.left, ptStrip.y - rc.top)) << tvr::WideToUtf8(_strName);
        EXPECT_EQ(crGround, image.Pixel(ptGround.x - rc.left, ptGround.y - rc.top)) << tvr::WideToUtf8(_strName);
    }
};

} // namespace

TEST_F(SettingsLook, ApplyOnModuleInfoSetsTheDisableStateOnlyWhereItDiffersAndRecoloursTheTree)
{
    const HWND hWndList = ModuleList();
    ASSERT_NE(nullptr, hWndList);
    const int iZeta = RowOf(L"Zeta phone");
    const int iAlpha = RowOf(L"Alpha phone");
    ASSERT_GE(iZeta, 1);
    ASSERT_GE(iAlpha, 1);
    PostMessageW(Tree(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(FindItem(L"Telephony")));
    Sleep(300);
    const HTREEITEM hZetaNode = FindItem(L"Telephony", L"Zeta phone");
    EXPECT_LT(DarkestIn(hZetaNode), 0x40) << "an active plug-in is drawn in black";
    EXPECT_GT(DarkestIn(FindItem(L"Telephony", L"Alpha phone")), 0x60) << "a disabled one in grey";
    // Zeta switched off; Alpha switched on and off again, so it ends as it is.
    Toggle(iZeta);
    Toggle(iAlpha);
    Toggle(iAlpha);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsWindowEnabled(Button(2002)) != FALSE; }, WAIT_MS));
    SendMessageW(Button(2002), BM_CLICK, 0, 0);
    ASSERT_TRUE(WaitForLog("PluginSettingsPageZ|Bus|34"));
    EXPECT_TRUE(HasLog("PluginSettingsPageZ|SetDisableState|1"));
    for (const std::string& strLine : LogLines())
        EXPECT_EQ(std::string::npos, strLine.find("PluginSettingsPageA|SetDisableState")) << strLine;
    EXPECT_FALSE(IsWindowEnabled(Button(2002)));
    EXPECT_TRUE(tvr::WaitUntil([&]() { return DarkestIn(hZetaNode) > 0x60; }, 3000)) << "Zeta is disabled now";
}

TEST_F(SettingsLook, SchemeOrLanguageChangeReopensTheWindowOnSchemeConfig)
{
    const std::wstring strProduct = CVersionTool(m_Folder.ExePath().c_str()).GetProductName();
    const struct
    {
        int iScheme;
        const wchar_t* pszLanguage;
        const wchar_t* pszShort;
        const wchar_t* pszModuleInfo;
        const wchar_t* pszSettings;
    } aLooks[] = {
        {0, L"English", L"en", L"Module info", L"Settings"},
        {1, L"English", L"en", L"Module info", L"Settings"},
        {0, L"Deutsch", L"de", L"Modulinfo", L"Einstellungen"},
        {1, L"Deutsch", L"de", L"Modulinfo", L"Einstellungen"},
    };
    for (const auto& look : aLooks)
    {
        Reopen(look.iScheme, look.pszLanguage);
        wchar_t szTitle[128] = L"";
        GetWindowTextW(m_hWndSettings, szTitle, ARRAYSIZE(szTitle));
        EXPECT_EQ(strProduct + L" - " + look.pszSettings, szTitle);
        const std::wstring strSuffix = std::wstring(look.pszShort) + L"-scheme" + std::to_wstring(look.iScheme);
        Shoot(L"settings-plugin-" + strSuffix, look.iScheme);
        Select(FindItem(look.pszModuleInfo));
        ASSERT_TRUE(WaitSelected(look.pszModuleInfo));
        Sleep(400);
        Shoot(L"settings-moduleinfo-" + strSuffix, look.iScheme);
    }
}
