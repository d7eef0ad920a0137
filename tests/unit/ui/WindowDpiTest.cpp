// Windows at another DPI: the rectangle a DPI change gives, kept within the work area, and
// the settings window laid out again at 144 DPI with its fonts and the module list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <climits>
#include <future>

#include "ui/ModuleInfoPage.h"
#include "ui/QelConfig.h"
#include "ui/QelDlgFonts.h"
#include "ui/WindowDpi.h"
#include "UiResources.h"

namespace {

const WPARAM DPI_144 = MAKEWPARAM(144, 144);

bool SameRect(const RECT& _a, const RECT& _b)
{
    return EqualRect(&_a, &_b) != FALSE;
}

LONG FontHeight(HWND _hWnd)
{
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    return lf.lfHeight;
}

RECT WindowRect(HWND _hWnd)
{
    RECT rc = {};
    GetWindowRect(_hWnd, &rc);
    return rc;
}

// A top-level window of the test's thread with a 400 x 300 rectangle at 100, 80.
struct SPlainWindow
{
    SPlainWindow()
        : hWnd(CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 100, 80, 400, 300, nullptr, nullptr, nullptr, nullptr))
    {
    }
    ~SPlainWindow() { DestroyWindow(hWnd); }
    HWND hWnd;
};

RECT g_rcRecorded = {};

// Records the rectangle that a DPI change gives the window.
LRESULT CALLBACK RecordingDpiProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    int iDpi = 0;
    if (_uMsg == WM_DPICHANGED)
        return ReadDpiChange(_hWnd, _wParam, _lParam, BASE_DPI, &iDpi, &g_rcRecorded) ? 1 : 0;
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

// Sends from a thread of its own while this thread answers sent messages.
LRESULT SendFromOtherThread(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    auto result = std::async(std::launch::async, [=]() { return SendMessageW(_hWnd, _uMsg, _wParam, _lParam); });
    while (result.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_SENDMESSAGE);
        MSG msg;
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);   // answers the sent messages
    }
    return result.get();
}

} // namespace

TEST(WindowDpi, RectanglesAreMadeNoLargerThanTheWorkAreaAndMovedIntoIt)
{
    const RECT rcWork = {0, 40, 1024, 700};
    const struct
    {
        RECT rc;
        RECT rcExpected;
    } CASES[] = {
        {{100, 100, 500, 400}, {100, 100, 500, 400}},          // inside: unchanged
        {{0, 0, 1200, 900}, {0, 40, 1024, 700}},               // too large: the work area
        {{800, 600, 1100, 800}, {724, 500, 1024, 700}},        // beyond the right and bottom edges
        {{-300, -50, 100, 150}, {0, 40, 400, 240}},            // beyond the left and top edges
        {{LONG_MIN, LONG_MIN, LONG_MAX, LONG_MAX}, {0, 40, 1024, 700}},
    };
    for (const auto& test : CASES)
    {
        const RECT rc = FitIntoWorkArea(test.rc, rcWork);
        EXPECT_TRUE(SameRect(test.rcExpected, rc)) << rc.left << " " << rc.top << " " << rc.right << " " << rc.bottom;
    }
}

// Workspace coordinates start at the work area's corner: a taskbar at the top or left moves
// them against the screen's, one at the bottom or right does not.
TEST(WindowDpi, WorkspaceRectanglesAreMovedByTheWorkAreasOffsetOnTheirMonitor)
{
    const RECT rc = {100, 110, 920, 730};
    const RECT rcMonitor = {0, 0, 1280, 800};
    const RECT rcSecond = {1280, 0, 2560, 1024};
    const struct
    {
        RECT rcMonitor;
        RECT rcWork;
        POINT ptExpected;
    } CASES[] = {
        {rcMonitor, {0, 40, 1280, 800}, {100, 150}},     // taskbar at the top
        {rcMonitor, {60, 0, 1280, 800}, {160, 110}},     // at the left
        {rcMonitor, {0, 0, 1280, 760}, {100, 110}},      // at the bottom
        {rcSecond, {1280, 30, 2560, 1024}, {100, 140}},  // a second monitor, taskbar at its top
    };
    for (const auto& test : CASES)
    {
        const RECT rcScreen = WorkspaceToScreen(rc, test.rcMonitor, test.rcWork);
        EXPECT_EQ(test.ptExpected.x, rcScreen.left);
        EXPECT_EQ(test.ptExpected.y, rcScreen.top);
        EXPECT_EQ(rc.right - rc.left, rcScreen.right - rcScreen.left);
        EXPECT_EQ(rc.bottom - rc.top, rcScreen.bottom - rcScreen.top);
    }
}

// The suggested rectangle is taken only from the window's own thread and only where it can be
// read; otherwise the size is scaled from the old DPI at the same corner.
TEST(WindowDpi, DpiChangeTakesTheSuggestedRectangleOnlyFromTheOwnThread)
{
    const SPlainWindow window;
    ASSERT_NE(nullptr, window.hWnd);
    const RECT rcWork = WorkAreaNear(WindowRect(window.hWnd));
    const RECT rcScaled = FitIntoWorkArea({100, 80, 700, 530}, rcWork);
    const RECT rcSuggested = {120, 90, 520, 390};
    int iDpi = 0;
    RECT rc = {};
    ASSERT_TRUE(ReadDpiChange(window.hWnd, DPI_144, reinterpret_cast<LPARAM>(&rcSuggested), 96, &iDpi, &rc));
    EXPECT_EQ(144, iDpi);
    EXPECT_TRUE(SameRect(FitIntoWorkArea(rcSuggested, rcWork), rc));
    // Unreadable, or not a rectangle: scaled.
    const RECT rcInverted = {500, 500, 100, 100};
    for (const LPARAM lParam : {LPARAM{0}, LPARAM{0x10}, reinterpret_cast<LPARAM>(&rcInverted)})
    {
        ASSERT_TRUE(ReadDpiChange(window.hWnd, DPI_144, lParam, 96, &iDpi, &rc));
        EXPECT_TRUE(SameRect(rcScaled, rc));
    }
    // From another thread the rectangle at lParam is never read.
    SetWindowLongPtrW(window.hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(RecordingDpiProc));
    g_rcRecorded = {};
    EXPECT_EQ(1, SendFromOtherThread(window.hWnd, WM_DPICHANGED, DPI_144, reinterpret_cast<LPARAM>(&rcSuggested)));
    EXPECT_TRUE(SameRect(rcScaled, g_rcRecorded));
    // A DPI no monitor has changes nothing.
    for (const WPARAM wParam : {WPARAM{0}, MAKEWPARAM(5000, 5000), MAKEWPARAM(20, 20)})
        EXPECT_FALSE(ReadDpiChange(window.hWnd, wParam, 0, 96, &iDpi, &rc));
}

namespace {

// The settings window on this thread, closed at the end.
class SettingsWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_QelConfig.ShowConfig(0);
        m_hDlg = g_QelConfig.GetWindow();
        ASSERT_NE(nullptr, m_hDlg);
    }
    void TearDown() override
    {
        g_QelConfig.CloseConfig();
        EXPECT_FALSE(g_QelConfig.IsOpen());
    }
    RECT ClientRectOf(HWND _hWndChild) const
    {
        RECT rc = WindowRect(_hWndChild);
        MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&rc), 2);
        return rc;
    }
    HWND m_hDlg = nullptr;
};

// The work area starts 40 pixels below the screen's top (a taskbar at the top) while it lives.
class CWorkAreaBelowTop
{
public:
    CWorkAreaBelowTop()
    {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &m_rcBefore, 0);
        RECT rc = {0, 40, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &rc, 0);
    }
    ~CWorkAreaBelowTop() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &m_rcBefore, 0); }
    bool Applied() const
    {
        const RECT rcScreen = {0, 0, 100, 100};
        return WorkAreaNear(rcScreen).top == 40;
    }
private:
    RECT m_rcBefore = {};
};

} // namespace

TEST_F(SettingsWindow, LaidOutAgainAt144DpiWithinTheWorkAreaWithScaledFontsAndModuleList)
{
    const HWND hWndList = GetDlgItem(GetModuleInfoPage(), IDC_MODULE_LIST);
    ASSERT_NE(nullptr, hWndList);
    LOGFONTW lf = {};
    GetObjectW(g_DlgFonts.GetNormalFont(), sizeof(lf), &lf);
    EXPECT_EQ(lf.lfHeight, FontHeight(hWndList));
    const RECT rcSuggested = {30, 20, 1330, 1000};   // beyond the 1200 x 900 minimum at 144 DPI
    SendMessageW(m_hDlg, WM_DPICHANGED, DPI_144, reinterpret_cast<LPARAM>(&rcSuggested));

    EXPECT_TRUE(SameRect(FitIntoWorkArea(rcSuggested, WorkAreaNear(rcSuggested)), WindowRect(m_hDlg)));
    RECT rcClient = {};
    GetClientRect(m_hDlg, &rcClient);
    const RECT rcClose = ClientRectOf(GetDlgItem(m_hDlg, IDCANCEL));
    EXPECT_EQ(135, rcClose.right - rcClose.left);
    EXPECT_EQ(38, rcClose.bottom - rcClose.top);
    EXPECT_EQ(rcClient.bottom - 15, rcClose.bottom);
    const LONG lScaled = MulDiv(lf.lfHeight, 144, 96);
    EXPECT_EQ(lScaled, FontHeight(g_QelConfig.GetTree()));
    EXPECT_EQ(lScaled, FontHeight(GetDlgItem(m_hDlg, IDCANCEL)));
    EXPECT_EQ(lScaled, FontHeight(hWndList));
    const int aiWidths[] = {210, 165, 165};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(aiWidths[i], ListView_GetColumnWidth(hWndList, i));
}

TEST_F(SettingsWindow, ClosedMaximisedItKeepsItsRestoredRectangleInScreenPixels)
{
    const CWorkAreaBelowTop workArea;
    if (!workArea.Applied())
        GTEST_SKIP() << "Wine does not report a work area set with SPI_SETWORKAREA in the monitor information";
    SetWindowPos(m_hDlg, nullptr, 100, 150, 820, 620, SWP_NOZORDER);
    const RECT rcRestored = WindowRect(m_hDlg);
    ShowWindow(m_hDlg, SW_MAXIMIZE);
    g_QelConfig.CloseConfig();
    const RECT& rc = g_QelConfig.GetPosition();
    EXPECT_TRUE(SameRect(rcRestored, rc)) << rc.left << " " << rc.top << " " << rc.right << " " << rc.bottom;
}
