// The settings window of the real host, observed from another process on the desktop: its
// tree, its layout at two sizes, the stored position, the pages of plug-ins, the apply
// question on a page change and on Close, Apply and the shared block's plug-in identifier.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <memory>

#include "Screen.h"
#include "SettingsGui.h"
#include "TelvarinPlugin.h"
#include "config/VersionTool.h"

namespace {

const SPagePlugin ZETA = {L"PluginTelephony", L"PluginSettingsPageZ", L"Zeta phone", 501, 1, 0};
const SPagePlugin ALPHA = {L"PluginTelephony", L"PluginSettingsPageA", L"Alpha phone", 502, 1, 1};
const SPagePlugin NAMELESS = {L"PluginSearch", L"PluginSettingsPageN", L"", 503, 0, 0};
const SPagePlugin NOTES = {L"PluginExtra", L"PluginSettingsPageS", L"Notes", 504, 0, 0};

class SettingsWindow : public CSettingsHostTest
{
protected:
    void SetUp() override
    {
        CSettingsHostTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        for (const SPagePlugin& page : {ZETA, ALPHA, NAMELESS, NOTES})
            AddPage(page);
    }
    // Starts the host and opens its settings window on the module info page.
    void Open()
    {
        StartHost();
        ASSERT_NE(nullptr, OpenSettings());
        ASSERT_TRUE(WaitSelected(L"Module info"));
    }
    // Opens a plug-in's page and waits until it is shown.
    void OpenPage(const std::wstring& _strRoot, const std::wstring& _strChild)
    {
        const HTREEITEM hItem = FindItem(_strRoot, _strChild);
        ASSERT_NE(nullptr, hItem);
        Select(hItem);
        ASSERT_TRUE(WaitSelected(_strChild));
    }
    // Sends and tells whether the host answered within 5 s.
    bool Answered(UINT _uMsg, WPARAM _wParam, LPARAM _lParam) const
    {
        DWORD_PTR dwResult = 0;
        return SendMessageTimeoutW(m_hWnd, _uMsg, _wParam, _lParam, SMTO_NORMAL, 5000, &dwResult) != 0;
    }
    // The host answers one more sent message: what was sent before has been handled, and a
    // question it raised is on the screen (the host answers from the question's loop).
    void ExpectNoQuestionAndTheWindow(HWND _hWndSettings) const
    {
        ASSERT_TRUE(Answered(WM_NULL, 0, 0));
        EXPECT_EQ(nullptr, FindProcessWindow(m_Host.Pid(), L"QelMessageBoxClass"));
        EXPECT_EQ(_hWndSettings, FindProcessWindow(m_Host.Pid(), L"#32770"));
    }
    // A scheme record and a text without the record header, in the host's memory.
    void PlaceSchemeTexts()
    {
        const std::wstring strRecord = tvr::MakeRecord(QEL_BUSMSG_SCHEME, {{L"SchemeIndex", L"1"}, {L"UsedFont", L"Segoe UI"}});
        const std::wstring strBare = L"<value keyword=\"SchemeIndex\">1</value>";
        m_pRecord.reset(new CRemoteBuffer(m_Host.Handle(), (strRecord.size() + 1) * sizeof(wchar_t)));
        m_pBare.reset(new CRemoteBuffer(m_Host.Handle(), (strBare.size() + 1) * sizeof(wchar_t)));
        ASSERT_TRUE(m_pRecord->Write(strRecord.c_str(), (strRecord.size() + 1) * sizeof(wchar_t)));
        ASSERT_TRUE(m_pBare->Write(strBare.c_str(), (strBare.size() + 1) * sizeof(wchar_t)));
    }
    // Not well-formed: system code, a text without the header, a small number.
    std::vector<LPARAM> Malformed() const
    {
        return {reinterpret_cast<LPARAM>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ExitProcess")),
                m_pBare->Param(), 0x10};
    }
    std::unique_ptr<CRemoteBuffer> m_pRecord;
    std::unique_ptr<CRemoteBuffer> m_pBare;
};

// The table's rectangles at 96 DPI in a client area of W x H.
void ExpectLayout(const CSettingsHostTest& _test, HWND _hWndDlg, HWND _hWndTree, HWND _hWndTitle, HWND _hWndClose,
                  HWND _hWndApply, HWND _hWndHelp, HWND _hWndPage)
{
    (void)_test;
    RECT rcClient = {};
    GetClientRect(_hWndDlg, &rcClient);
    const LONG W = rcClient.right, H = rcClient.bottom;
    auto rectOf = [&](HWND _hWnd) {
        RECT rc = {};
        GetWindowRect(_hWnd, &rc);
        MapWindowPoints(nullptr, _hWndDlg, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    };
    auto expect = [&](HWND _hWnd, LONG x, LONG y, LONG cx, LONG cy, const char* _pszName) {
        const RECT rc = rectOf(_hWnd);
        EXPECT_EQ(x, rc.left) << _pszName;
        EXPECT_EQ(y, rc.top) << _pszName;
        EXPECT_EQ(cx, rc.right - rc.left) << _pszName;
        EXPECT_EQ(cy, rc.bottom - rc.top) << _pszName;
    };
    expect(_hWndTree, 5, 5, 245, H - 10, "tree");
    expect(_hWndTitle, 260, 5, 300, 25, "title");
    expect(_hWndClose, W - 280, H - 35, 90, 25, "Close");
    expect(_hWndApply, W - 185, H - 35, 90, 25, "Apply");
    expect(_hWndHelp, W - 90, H - 35, 80, 25, "Help");
    expect(_hWndPage, 260, 40, W - 270, H - 85, "page");
}

int ScreenDpi()
{
    HDC hdc = GetDC(nullptr);
    const int iDpi = GetDeviceCaps(hdc, LOGPIXELSY);
    ReleaseDC(nullptr, hdc);
    return iDpi;
}

} // namespace

TEST_F(SettingsWindow, TreeHasModuleInfoThenCategoriesInOrderWithSortedPluginNames)
{
    Open();
    wchar_t szTitle[128] = L"";
    GetWindowTextW(m_hWndSettings, szTitle, ARRAYSIZE(szTitle));
    EXPECT_EQ(std::wstring(CVersionTool(m_Folder.ExePath().c_str()).GetProductName()) + L" - Settings", szTitle);
    // The search plug-in has no name: its category gets no node; the debug list brings "Trace".
    EXPECT_EQ((std::vector<std::wstring>{L"Module info", L"Telephony", L"Extra", L"Trace"}), ChildTexts(nullptr));
    EXPECT_EQ((std::vector<std::wstring>{L"Alpha phone", L"Zeta phone"}), ChildTexts(FindItem(L"Telephony")));
    // The shipped "Scheme config" plug-in beside the test page.
    EXPECT_EQ((std::vector<std::wstring>{L"Notes", L"Scheme config"}), ChildTexts(FindItem(L"Extra")));
    wchar_t szText[128] = L"";
    GetWindowTextW(Title(), szText, ARRAYSIZE(szText));
    EXPECT_STREQ(L"Module info", szText);
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetGUIThreadInfo(GetWindowThreadProcessId(m_hWndSettings, nullptr), &info));
    EXPECT_EQ(Tree(), info.hwndFocus) << "keyboard users start in the tree";
    EXPECT_FALSE(IsWindowEnabled(Button(2002))) << "Apply without a change";
    EXPECT_FALSE(IsWindowVisible(Button(IDHELP))) << "no help file";
    wchar_t szButton[32] = L"";
    GetWindowTextW(Button(IDCANCEL), szButton, ARRAYSIZE(szButton));
    EXPECT_STREQ(L"Close", szButton);
}

TEST_F(SettingsWindow, ControlsFollowTheLayoutTableAtTwoSizes)
{
    if (ScreenDpi() != 96)
        GTEST_SKIP() << "the table's pixel values hold at 96 DPI; this desktop has " << ScreenDpi();
    Open();
    OpenPage(L"Telephony", L"Zeta phone");
    ASSERT_NE(nullptr, Page());
    ExpectLayout(*this, m_hWndSettings, Tree(), Title(), Button(IDCANCEL), Button(2002), Button(IDHELP), Page());
    SetWindowPos(m_hWndSettings, nullptr, 20, 10, 990, 660, SWP_NOZORDER);
    Sleep(300);
    RECT rcClient = {};
    GetClientRect(m_hWndSettings, &rcClient);
    ASSERT_GT(rcClient.right, 900);
    ExpectLayout(*this, m_hWndSettings, Tree(), Title(), Button(IDCANCEL), Button(2002), Button(IDHELP), Page());
    // Smaller than 800 x 600 is refused.
    SetWindowPos(m_hWndSettings, nullptr, 20, 10, 500, 300, SWP_NOZORDER);
    Sleep(300);
    RECT rcWindow = {};
    GetWindowRect(m_hWndSettings, &rcWindow);
    EXPECT_EQ(800, rcWindow.right - rcWindow.left);
    EXPECT_EQ(600, rcWindow.bottom - rcWindow.top);
}

// Sent from this process, the host reads no rectangle at lParam: it keeps the corner, scales
// the size and fits the window into the work area of the 1024 x 700 desktop, whose height is
// below the scaled 900-pixel minimum; Close and Apply stay on the screen.
TEST_F(SettingsWindow, At144DpiTheWindowFitsTheWorkAreaAndItsControlsScale)
{
    if (ScreenDpi() != 96)
        GTEST_SKIP() << "the window opens at 96 DPI; this desktop has " << ScreenDpi();
    Open();
    SendMessageW(m_hWndSettings, WM_DPICHANGED, MAKEWPARAM(144, 144), 0x10);
    auto rectOf = [](HWND _hWnd) {
        RECT rc = {};
        GetWindowRect(_hWnd, &rc);
        return rc;
    };
    ASSERT_TRUE(tvr::WaitUntil([&]() { const RECT rc = rectOf(Button(IDCANCEL)); return rc.bottom - rc.top == 38; }, WAIT_MS));
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(m_hWndSettings, MONITOR_DEFAULTTONEAREST), &info));
    const RECT rcWork = info.rcWork;
    const RECT rcWindow = rectOf(m_hWndSettings);
    EXPECT_EQ(rcWork.left, rcWindow.left);
    EXPECT_EQ(rcWork.top, rcWindow.top);
    EXPECT_EQ(std::min<LONG>(1200, rcWork.right - rcWork.left), rcWindow.right - rcWindow.left);
    EXPECT_EQ(std::min<LONG>(900, rcWork.bottom - rcWork.top), rcWindow.bottom - rcWindow.top);
    RECT rcClient = {};
    GetClientRect(m_hWndSettings, &rcClient);
    MapWindowPoints(m_hWndSettings, nullptr, reinterpret_cast<POINT*>(&rcClient), 2);
    for (const int iId : {IDCANCEL, 2002})
    {
        const RECT rc = rectOf(Button(iId));
        RECT rcInside = {};
        EXPECT_TRUE(IntersectRect(&rcInside, &rc, &rcClient) && EqualRect(&rcInside, &rc)) << iId;
        EXPECT_EQ(135, rc.right - rc.left) << iId;
    }
    const HWND hWndList = GetDlgItem(Page(), 1012);
    ASSERT_NE(nullptr, hWndList);
    EXPECT_EQ(210, ListView_GetColumnWidth(hWndList, 0));
    EXPECT_EQ(165, ListView_GetColumnWidth(hWndList, 1));
    RedrawWindow(m_hWndSettings, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    EXPECT_TRUE(CScreenImage(rcWindow).SavePng(L"settings-144dpi"));
}

TEST_F(SettingsWindow, ValidStoredPositionIsUsedAndTheLastOneIsSavedAtExit)
{
    StorePosition(L"30 20 850 640");
    Open();
    RECT rc = {};
    GetWindowRect(m_hWndSettings, &rc);
    EXPECT_EQ(30, rc.left);
    EXPECT_EQ(20, rc.top);
    EXPECT_EQ(820, rc.right - rc.left);
    EXPECT_EQ(620, rc.bottom - rc.top);
    SetWindowPos(m_hWndSettings, nullptr, 40, 30, 820, 610, SWP_NOZORDER);
    Sleep(200);
    // Minimised, it keeps the rectangle it has when restored; the tray item restores it.
    ShowWindow(m_hWndSettings, SW_MINIMIZE);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsIconic(m_hWndSettings) != FALSE; }, WAIT_MS));
    const HWND hWndOpen = m_hWndSettings;
    ASSERT_EQ(hWndOpen, OpenSettings());
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsIconic(m_hWndSettings); }, WAIT_MS));
    ShowWindow(m_hWndSettings, SW_MINIMIZE);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsIconic(m_hWndSettings) != FALSE; }, WAIT_MS));
    PostMessageW(m_hWnd, WM_COMMAND, 11007, 0);   // the tray's exit item
    DWORD dwExit = 0;
    ASSERT_TRUE(m_Host.WaitForExit(WAIT_MS, &dwExit));
    EXPECT_EQ(L"40 30 860 640", StoredPosition());
}

TEST_F(SettingsWindow, AllZeroOrOutsideTheDesktopOpensAtTheOriginWith800x600)
{
    for (const wchar_t* pszPosition : {L"0 0 0 0", L"500 300 1300 900"})
    {
        StorePosition(pszPosition);
        Open();
        RECT rc = {};
        GetWindowRect(m_hWndSettings, &rc);
        EXPECT_EQ(0, rc.left) << pszPosition;
        EXPECT_EQ(0, rc.top) << pszPosition;
        EXPECT_EQ(800, rc.right) << pszPosition;
        EXPECT_EQ(600, rc.bottom) << pszPosition;
        m_Host.Kill();
    }
}

TEST_F(SettingsWindow, ShowConfigOpensAtTheModulesNodeOrAtModuleInfo)
{
    StartHost();
    // Bus type 9 with a module that has no node.
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_SHOWCONFIG, {{L"Module", L"12345"}}));
    ASSERT_NE(nullptr, WaitForSettings());
    EXPECT_TRUE(WaitSelected(L"Module info"));
    EXPECT_EQ(0, SharedPluginId());
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(m_hWndSettings); }, WAIT_MS));
    // An error reported by a plug-in, then a double click on the tray icon: its page.
    const HMODULE hZeta = ModuleInHost(ZETA.strFile);
    ASSERT_NE(nullptr, hZeta);
    wchar_t szInstance[32];
    wsprintfW(szInstance, L"%p", hZeta);
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"3"}, {L"Text", L"down"}, {L"Instance", szInstance}}));
    PostMessageW(m_hWnd, 1129, m_Host.Pid() + 2311, WM_LBUTTONDBLCLK);
    ASSERT_NE(nullptr, WaitForSettings());
    EXPECT_TRUE(WaitSelected(L"Zeta phone"));
    EXPECT_EQ(ZETA.iId, SharedPluginId());
}

TEST_F(SettingsWindow, PluginPageIsCreatedByTheModuleAndClosedWithCommandOne)
{
    Open();
    EXPECT_EQ(0, SharedPluginId());
    OpenPage(L"Telephony", L"Zeta phone");
    ASSERT_TRUE(WaitForLog("PluginSettingsPageZ|ShowConfig|0"));
    const HWND hWndPage = Page();
    ASSERT_NE(nullptr, hWndPage);
    EXPECT_EQ(m_hWndSettings, GetParent(hWndPage));
    EXPECT_EQ(ZETA.iId, SharedPluginId());
    EXPECT_TRUE(IsWindowEnabled(Title())) << "an active plug-in";
    // A category node: no page, identifier 0; the old page got WM_COMMAND 1.
    Select(FindItem(L"Telephony"));
    ASSERT_TRUE(WaitSelected(L"Telephony"));
    EXPECT_TRUE(WaitForLog("PluginSettingsPageZ|Close|0"));
    EXPECT_FALSE(IsWindow(hWndPage));
    EXPECT_EQ(nullptr, Page());
    EXPECT_EQ(0, SharedPluginId());
    // A disabled plug-in that can be disabled: its title is greyed.
    OpenPage(L"Telephony", L"Alpha phone");
    EXPECT_EQ(ALPHA.iId, SharedPluginId());
    EXPECT_FALSE(IsWindowEnabled(Title()));
    wchar_t szText[128] = L"";
    GetWindowTextW(Title(), szText, ARRAYSIZE(szText));
    EXPECT_STREQ(L"Alpha phone", szText);
    // Bus type 36 closes the page, then the window.
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_CLOSECONFIG));
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(m_hWndSettings); }, WAIT_MS));
    EXPECT_TRUE(HasLog("PluginSettingsPageA|Close|0"));
}

TEST_F(SettingsWindow, PageChangeAsksAboutAPendingChange)
{
    Open();
    OpenPage(L"Telephony", L"Zeta phone");
    ReportChange();
    ASSERT_TRUE(IsWindowEnabled(Button(2002)));
    const HWND hWndZetaPage = Page();
    // Cancel: the selection stays, and so do the page and the change.
    Select(FindItem(L"Telephony", L"Alpha phone"));
    HWND hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDCANCEL);
    EXPECT_EQ(L"Zeta phone", SelectedText());
    EXPECT_EQ(hWndZetaPage, Page());
    EXPECT_TRUE(IsWindowEnabled(Button(2002)));
    // No: the change is dropped without Apply.
    Select(FindItem(L"Telephony", L"Alpha phone"));
    hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDNO);
    EXPECT_TRUE(WaitSelected(L"Alpha phone"));
    EXPECT_FALSE(HasLog("PluginSettingsPageZ|Bus|5"));
    EXPECT_FALSE(IsWindowEnabled(Button(2002)));
    // Yes: Apply reaches the plug-in whose page was shown, then the page changes.
    ReportChange();
    Select(FindItem(L"Telephony", L"Zeta phone"));
    hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDYES);
    EXPECT_TRUE(WaitSelected(L"Zeta phone"));
    EXPECT_TRUE(HasLog("PluginSettingsPageA|Bus|5"));
    EXPECT_FALSE(HasLog("PluginSettingsPageZ|Bus|5"));
}

TEST_F(SettingsWindow, CloseAsksAboutAPendingChange)
{
    Open();
    OpenPage(L"Extra", L"Notes");
    ReportChange();
    const HWND hWndPage = Page();
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    HWND hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(m_hWndSettings));
    EXPECT_EQ(hWndPage, Page());
    EXPECT_FALSE(HasLog("PluginSettingsPageS|Close|0"));
    // A Close while the answered box still settles its input finds no box to ask with: the
    // change stays, as with Cancel, instead of being dropped unasked.
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    PostMessageW(hWndBox, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hWndBox); }, WAIT_MS));
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    Sleep(1200);
    EXPECT_TRUE(IsWindowVisible(m_hWndSettings));
    EXPECT_TRUE(IsWindowEnabled(Button(2002)));
    EXPECT_EQ(hWndPage, Page());
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDNO);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(m_hWndSettings); }, WAIT_MS));
    EXPECT_TRUE(HasLog("PluginSettingsPageS|Close|0"));
    EXPECT_FALSE(HasLog("PluginSettingsPageS|Bus|5"));
    // Yes applies before the window closes.
    ASSERT_NE(nullptr, OpenSettings());
    OpenPage(L"Extra", L"Notes");
    ReportChange();
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDYES);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(m_hWndSettings); }, WAIT_MS));
    EXPECT_TRUE(HasLog("PluginSettingsPageS|Bus|5"));
}

// Another process sends scheme requests while the person has a pending change: each is
// answered at once, none asks a question, and the window and the change stay.
TEST_F(SettingsWindow, SchemeRequestFromAnotherProcessIsAnsweredAtOnceAndAsksNothing)
{
    Open();
    ASSERT_NO_FATAL_FAILURE(PlaceSchemeTexts());
    ReportChange();
    ASSERT_TRUE(IsWindowEnabled(Button(2002)));
    std::vector<LPARAM> vecRecords = Malformed();
    vecRecords.push_back(m_pRecord->Param());
    for (LPARAM lRecord : vecRecords)
    {
        EXPECT_TRUE(Answered(WM_QEL_SCHEME, 0, lRecord)) << std::hex << lRecord;
        ExpectNoQuestionAndTheWindow(m_hWndSettings);
        EXPECT_TRUE(IsWindowEnabled(Button(2002)));
    }
    // Closing the window from another process is answered before the person is asked.
    EXPECT_TRUE(Answered(WM_QEL_BUS, QEL_BUSMSG_CLOSECONFIG, 0));
    const HWND hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    Answer(hWndBox, IDCANCEL);
    EXPECT_TRUE(IsWindowVisible(m_hWndSettings));
}

// Only a well-formed record, sent, changes the scheme and reopens the window on its page.
TEST_F(SettingsWindow, OnlyASentWellFormedSchemeRecordReopensTheWindow)
{
    Open();
    ASSERT_NO_FATAL_FAILURE(PlaceSchemeTexts());
    for (LPARAM lRecord : Malformed())
    {
        EXPECT_TRUE(Answered(WM_QEL_SCHEME, 0, lRecord)) << std::hex << lRecord;
        ExpectNoQuestionAndTheWindow(m_hWndSettings);
    }
    const HWND hWndFirst = m_hWndSettings;
    ASSERT_TRUE(Answered(WM_QEL_SCHEME, 0, m_pRecord->Param()));
    ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hWndFirst); }, WAIT_MS));
    ASSERT_NE(nullptr, WaitForSettings());
    ASSERT_TRUE(WaitSelected(L"Scheme config"));
    // Posted, the record would be read after its sender let go of it: dropped. The change
    // report posted behind it is handled after it.
    PostMessageW(m_hWnd, WM_QEL_SCHEME, 0, m_pRecord->Param());
    ReportChange();
    ASSERT_TRUE(IsWindowEnabled(Button(2002)));
    ExpectNoQuestionAndTheWindow(m_hWndSettings);
}

// A change report counts only from a page of the open window: one before the window opens
// asks nothing when it opens, and one sent from another process enables nothing.
TEST_F(SettingsWindow, ChangeReportCountsOnlyWhileTheWindowIsOpenAndWhenPosted)
{
    StartHost();
    PostMessageW(m_hWnd, WM_QEL_CONFIGCHANGED, 0, 0);
    ASSERT_NE(nullptr, OpenSettings());
    ASSERT_TRUE(WaitSelected(L"Module info"));
    ExpectNoQuestionAndTheWindow(m_hWndSettings);
    EXPECT_FALSE(IsWindowEnabled(Button(2002)));
    EXPECT_TRUE(Answered(WM_QEL_CONFIGCHANGED, 0, 0));
    EXPECT_FALSE(IsWindowEnabled(Button(2002)));
}

TEST_F(SettingsWindow, TabAndEnterMoveThroughTreePageAndButtons)
{
    Open();
    OpenPage(L"Telephony", L"Zeta phone");
    const HWND hWndPage = Page();
    ASSERT_NE(nullptr, hWndPage);
    const HWND hWndEdit = GetDlgItem(hWndPage, 101);
    const HWND hWndChange = GetDlgItem(hWndPage, 100);
    auto focus = [&]() {
        GUITHREADINFO info = {};
        info.cbSize = sizeof(info);
        GetGUIThreadInfo(GetWindowThreadProcessId(m_hWndSettings, nullptr), &info);
        return info.hwndFocus;
    };
    auto tabFrom = [&](HWND _hWndFrom, HWND _hWndTo, const char* _pszStep) {
        PressKey(_hWndFrom, VK_TAB);
        EXPECT_TRUE(tvr::WaitUntil([&]() { return focus() == _hWndTo; }, 3000)) << _pszStep;
    };
    PostMessageW(m_hWndSettings, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Tree()), TRUE);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return focus() == Tree(); }, 3000));
    tabFrom(Tree(), hWndEdit, "tree to the page's first control");
    tabFrom(hWndEdit, hWndChange, "inside the page");
    tabFrom(hWndChange, Button(IDCANCEL), "last page control to Close");
    tabFrom(Button(IDCANCEL), Tree(), "Close to the tree: Apply disabled, Help hidden");
    // Enter on the page's button clicks it: the page reports a change, Apply is enabled.
    PressKey(hWndChange, VK_RETURN);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsWindowEnabled(Button(2002)) != FALSE; }, 3000));
    tabFrom(Button(IDCANCEL), Button(2002), "Close to the enabled Apply");
    PressKey(Button(2002), VK_RETURN);
    EXPECT_TRUE(WaitForLog("PluginSettingsPageZ|Bus|5"));
    EXPECT_TRUE(tvr::WaitUntil([&]() { return !IsWindowEnabled(Button(2002)); }, 3000));
    // Enter elsewhere acts as Tab.
    PressKey(hWndEdit, VK_RETURN);
    EXPECT_TRUE(tvr::WaitUntil([&]() { return focus() == hWndChange; }, 3000));
}

TEST_F(SettingsWindow, SecondStartOpensTheSettingsWindowOfTheFirstHost)
{
    StartHost();
    EXPECT_EQ(nullptr, FindProcessWindow(m_Host.Pid(), L"#32770"));
    tvr::CHostProcess second;
    ASSERT_TRUE(second.Start(m_Folder.Child(m_strName + L".exe")));
    DWORD dwExit = 0;
    EXPECT_TRUE(second.WaitForExit(WAIT_MS, &dwExit));
    ASSERT_NE(nullptr, WaitForSettings());
    EXPECT_TRUE(WaitSelected(L"Module info"));
}

TEST_F(SettingsWindow, HelpButtonIsShownWhenTheHelpFileExists)
{
    // The help file is the product name without blanks, upper-cased, with ".CHM".
    std::wstring strHelp = CVersionTool(m_Folder.ExePath().c_str()).GetProductName();
    strHelp.erase(std::remove(strHelp.begin(), strHelp.end(), L' '), strHelp.end());
    CharUpperW(&strHelp[0]);
    ASSERT_TRUE(m_Folder.WriteTextFile(strHelp + L".CHM", "not a real help file"));
    Open();
    EXPECT_TRUE(IsWindowVisible(Button(IDHELP)));
    EXPECT_EQ(m_hWndSettings, GetParent(Button(IDHELP)));
}
