// The shipped "Scheme config" plug-in in the real host: a person chooses German and the dark
// scheme 1 on its page and applies; the settings window reopens in German and dark colours
// on that page, the choice is kept where the host keeps its settings and holds after a
// restart. Photographed in English before and in German after.
#include <windows.h>
#include <commctrl.h>

#include "SettingsGui.h"
#include "TelvarinPlugin.h"
#include "config/VersionTool.h"

namespace {

const int ID_LANGUAGE = 1001;
const int ID_SCHEME = 1002;

class SchemeConfigPage : public CSettingsHostTest
{
protected:
    void SetUp() override
    {
        CSettingsHostTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        // The registry marker key of this program copy: the host, and with it the plug-in,
        // keeps its settings below it, apart from every other test's host.
        m_strKey = L"SOFTWARE\\orvex\\" + m_strName;
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, m_strKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &hKey, nullptr));
        RegCloseKey(hKey);
    }
    void TearDown() override
    {
        CSettingsHostTest::TearDown();
        if (!m_strKey.empty())
            RegDeleteTreeW(HKEY_CURRENT_USER, m_strKey.c_str());
    }
    std::wstring Kept(const wchar_t* _pszKey) const
    {
        std::wstring strValue;
        tvr::ReadRegistryString(HKEY_CURRENT_USER, m_strKey + L"\\PluginSchemeConfig\\Look", _pszKey, &strValue);
        return strValue;
    }
    std::wstring WindowTitle() const
    {
        wchar_t szTitle[128] = L"";
        GetWindowTextW(m_hWndSettings, szTitle, ARRAYSIZE(szTitle));
        return szTitle;
    }
    std::wstring ExpectedTitle(const wchar_t* _pszSettings) const
    {
        return std::wstring(CVersionTool(m_Folder.ExePath().c_str()).GetProductName()) + L" - " + _pszSettings;
    }
    // Opens the window on the scheme page. After a restart the host applies the kept choice
    // once its start is over and reopens a window opened before, on the page it showed; a
    // selection posted to the closing window is lost, so it is made again in the new one.
    void OpenSchemePage()
    {
        ASSERT_NE(nullptr, OpenSettings());
        ASSERT_TRUE(tvr::WaitUntil([&]() { return ShowsSchemePage(); }, WAIT_MS));
    }
    bool ShowsSchemePage()
    {
        if (!IsWindow(m_hWndSettings) && !WaitForSettings(1000))
            return false;
        if (SelectedText() == L"Scheme config")
            return true;
        if (const HTREEITEM hItem = FindItem(L"Extra", L"Scheme config"))
            Select(hItem);
        return false;
    }
    // The window's ground right of the title and its left strip, as a person sees them.
    // The window's ground and the tree's strip, once painted: a loaded machine may take a
    // while to paint the reopened window.
    void ExpectColours(COLORREF _crGround, COLORREF _crPane) const
    {
        COLORREF crGround = CLR_INVALID;
        COLORREF crPane = CLR_INVALID;
        tvr::WaitUntil(
            [&]() {
                RECT rc = {};
                GetWindowRect(m_hWndSettings, &rc);
                POINT ptGround = {700, 20};
                POINT ptStrip = {2, 300};
                ClientToScreen(m_hWndSettings, &ptGround);
                ClientToScreen(m_hWndSettings, &ptStrip);
                const CScreenImage image(rc);
                crGround = image.Pixel(ptGround.x - rc.left, ptGround.y - rc.top);
                crPane = image.Pixel(ptStrip.x - rc.left, ptStrip.y - rc.top);
                return crGround == _crGround && crPane == _crPane;
            },
            WAIT_MS);
        EXPECT_EQ(_crGround, crGround);
        EXPECT_EQ(_crPane, crPane);
    }
    void Shoot(const std::wstring& _strName) const
    {
        Sleep(400);   // painted
        RECT rc = {};
        GetWindowRect(m_hWndSettings, &rc);
        EXPECT_TRUE(CScreenImage(rc).SavePng(_strName));
    }
    // Chooses a language on the page as a person does: the entry, then its notification, sent
    // as the control sends it. Once the call returns, the page's change report is queued ahead
    // of anything posted later, such as Apply: a report handled after Apply would mark the
    // window changed again, and the reopening for the scheme change would then ask about it.
    void ChooseLanguage(const std::wstring& _strName) const
    {
        // The system carries the text of a combo box with strings to the other process.
        const HWND hWndCombo = GetDlgItem(Page(), ID_LANGUAGE);
        ASSERT_NE(CB_ERR, SendMessageW(hWndCombo, CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(_strName.c_str())));
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(ID_LANGUAGE, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hWndCombo));
    }
    void ChooseScheme(int _iScheme) const
    {
        const HWND hWndList = GetDlgItem(Page(), ID_SCHEME);
        ASSERT_EQ(_iScheme, SendMessageW(hWndList, LB_SETCURSEL, static_cast<WPARAM>(_iScheme), 0));
        SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(ID_SCHEME, LBN_SELCHANGE), reinterpret_cast<LPARAM>(hWndList));
    }
    std::wstring m_strKey;
};

} // namespace

TEST_F(SchemeConfigPage, GermanAndDarkAppliedReopenOnThePageAndHoldAfterARestart)
{
    StartHost();
    ASSERT_NO_FATAL_FAILURE(OpenSchemePage());
    ASSERT_NE(nullptr, Page());
    EXPECT_EQ(ExpectedTitle(L"Settings"), WindowTitle());
    EXPECT_EQ(0, SendMessageW(GetDlgItem(Page(), ID_SCHEME), LB_GETCURSEL, 0, 0));
    EXPECT_EQ(5, SendMessageW(GetDlgItem(Page(), ID_SCHEME), LB_GETCOUNT, 0, 0));
    EXPECT_GE(SendMessageW(GetDlgItem(Page(), ID_LANGUAGE), CB_GETCOUNT, 0, 0), 2) << "English and German";
    Shoot(L"scheme-config-en-scheme0");

    ASSERT_NO_FATAL_FAILURE(ChooseLanguage(L"Deutsch"));
    ASSERT_NO_FATAL_FAILURE(ChooseScheme(1));
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsWindowEnabled(Button(2002)) != FALSE; }, WAIT_MS)) << "the page reported the change";
    const HWND hWndOld = m_hWndSettings;
    PostMessageW(m_hWndSettings, WM_COMMAND, 2002, reinterpret_cast<LPARAM>(Button(2002)));
    // The page sends the scheme change once the window's own Apply is done.
    ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hWndOld); }, WAIT_MS))
        << (FindProcessWindow(m_Host.Pid(), L"QelMessageBoxClass") ? "the host asks about a change made after Apply" : "");
    ASSERT_NE(nullptr, WaitForSettings());
    ASSERT_TRUE(WaitSelected(L"Scheme config"));
    EXPECT_EQ(ExpectedTitle(L"Einstellungen"), WindowTitle());
    ExpectColours(RGB(0x3F, 0x3F, 0x3F), RGB(0x8C, 0x8C, 0x8C));
    EXPECT_FALSE(IsWindowEnabled(Button(2002))) << "nothing pending after the reopening";
    Shoot(L"scheme-config-de-scheme1");
    EXPECT_EQ(L"1", Kept(L"SchemeIndex"));
    EXPECT_EQ(L"Deutsch", Kept(L"UsedLanguage"));
    EXPECT_FALSE(Kept(L"UsedFont").empty());

    m_Host.Kill();
    StartHost();
    // The kept choice is applied once the host's start is over; a window opened before
    // reopens with it.
    ASSERT_NO_FATAL_FAILURE(OpenSchemePage());
    ASSERT_TRUE(tvr::WaitUntil([&]() { return WaitForSettings(1000) && WindowTitle() == ExpectedTitle(L"Einstellungen"); },
                               WAIT_MS));
    ASSERT_TRUE(WaitSelected(L"Scheme config"));
    EXPECT_EQ(1, SendMessageW(GetDlgItem(Page(), ID_SCHEME), LB_GETCURSEL, 0, 0)) << "the page shows the kept scheme";
    ExpectColours(RGB(0x3F, 0x3F, 0x3F), RGB(0x8C, 0x8C, 0x8C));
}
