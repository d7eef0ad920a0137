// Windows at another DPI: the rectangle a DPI change gives, kept within the work area, and
// the settings window laid out again at 144 DPI with its fonts and the module list.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>
#include <climits>

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

// The suggested rectangle is taken only where it can be read and is one; otherwise the size is
// scaled from the old DPI at the same corner. (From another thread it is never read: the
// message box and information dialog tests send it so.)
TEST(WindowDpi, DpiChangeTakesAReadableSuggestedRectangleElseScalesTheSize)
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
