// The main window's message table against those who read it: the window procedure's
// handlers, the message loops' filter and the guard.
#include <gtest/gtest.h>
#include <windows.h>

#include "CaptureWindow.h"
#include "bus/MainWindowMessages.h"
#include "bus/MessageFilter.h"
#include "config/HostLifecycle.h"
#include "host/window/MainWindow.h"
#include "host/window/MainWindowProc.h"

namespace {

const UINT LAST_MESSAGE_WALKED = 0xFFFF;   // system, user, application and registered messages

} // namespace

TEST(MessageTable, ProcedureHandlesExactlyTheRowsThatNameIt)
{
    for (UINT uMsg = 0; uMsg <= LAST_MESSAGE_WALKED; ++uMsg)
    {
        const SMainWindowMessage* pRow = FindMainWindowMessage(uMsg);
        EXPECT_EQ(pRow != nullptr && pRow->eHandledBy == EHandledBy::Procedure, HasMainWindowHandler(uMsg))
            << "message " << uMsg;
    }
}

TEST(MessageTable, RowsAreConsistentAndTheFiltersFollowThem)
{
    const HWND hWndMain = reinterpret_cast<HWND>(0x1234);
    const HWND hWndOther = reinterpret_cast<HWND>(0x5678);
    size_t cRows = 0;
    const SMainWindowMessage* pRows = MainWindowMessageTable(&cRows);
    ASSERT_GT(cRows, 0u);
    for (size_t i = 0; i < cRows; ++i)
    {
        const SMainWindowMessage& row = pRows[i];
        SCOPED_TRACE(row.uMsg);
        EXPECT_EQ(&row, FindMainWindowMessage(row.uMsg)) << "one row per message";
        EXPECT_EQ(row.eHandledBy == EHandledBy::Guard, row.eGuard != EGuard::None);
        EXPECT_EQ(row.eGuard == EGuard::Refuse, row.eHandledBy == EHandledBy::Guard && !row.bDefaultHandling);
        EXPECT_FALSE(!row.bFromOtherThread && row.bMayArrivePosted) << "a message only the own thread sends is never posted";
        // Timers carry no procedure here, so only the table decides.
        const MSG msgMain = {hWndMain, row.uMsg, 0, 0, 0, {}};
        EXPECT_EQ(row.bMayArrivePosted, IsDispatchable(msgMain, hWndMain));
        const MSG msgOther = {hWndOther, row.uMsg, 0, 0, 0, {}};
        EXPECT_EQ(row.bFromOtherThread, IsDispatchable(msgOther, hWndMain));
        EXPECT_EQ(!row.bFromOtherThread, IsOwnThreadMessage(row.uMsg));
    }
    // Without a row, a system message never reaches the main window from its queue; a
    // plug-in's or the shell's message above WM_USER does.
    EXPECT_FALSE(IsDispatchable(MSG{hWndMain, WM_SETFONT, 0, 0, 0, {}}, hWndMain));
    EXPECT_TRUE(IsDispatchable(MSG{hWndMain, WM_USER + 500, 0, 0, 0, {}}, hWndMain));
}

TEST(MessageTable, GuardAnswersTheRowsItRefusesAndLetsTheRestThrough)
{
    tvr::CCaptureWindow window;
    g_hWndParent = window.Handle();
    size_t cRows = 0;
    const SMainWindowMessage* pRows = MainWindowMessageTable(&cRows);
    for (size_t i = 0; i < cRows; ++i)
    {
        const SMainWindowMessage& row = pRows[i];
        WINDOWPOS position = {};
        position.flags = SWP_SHOWWINDOW | SWP_NOSIZE;
        STYLESTRUCT styles = {WS_POPUP, WS_POPUP | WS_VISIBLE};
        const WPARAM wParam = row.eGuard == EGuard::KeepStyleHidden ? static_cast<WPARAM>(GWL_STYLE) : 0;
        const LPARAM lParam = row.eGuard == EGuard::KeepHidden        ? reinterpret_cast<LPARAM>(&position)
                              : row.eGuard == EGuard::KeepStyleHidden ? reinterpret_cast<LPARAM>(&styles)
                                                                      : 0;
        LRESULT lResult = -1;
        const bool bAnswered = GuardMainWindow(g_hWndParent, row.uMsg, wParam, lParam, &lResult);
        EXPECT_EQ(row.eGuard == EGuard::Refuse || row.eGuard == EGuard::CloseOnly, bAnswered) << row.uMsg;
        EXPECT_EQ(row.eGuard == EGuard::KeepHidden ? UINT(SWP_NOSIZE) : UINT(SWP_SHOWWINDOW | SWP_NOSIZE),
                  position.flags);
        EXPECT_EQ(row.eGuard == EGuard::KeepStyleHidden ? DWORD(WS_POPUP) : DWORD(WS_POPUP | WS_VISIBLE),
                  styles.styleNew);
    }
    LRESULT lResult = -1;
    EXPECT_FALSE(GuardMainWindow(g_hWndParent, WM_SYSCOMMAND, SC_CLOSE, 0, &lResult));
    // Another window of the host is none of the guard's business.
    EXPECT_FALSE(GuardMainWindow(reinterpret_cast<HWND>(0x5678), WM_SHOWWINDOW, TRUE, 0, &lResult));
    g_hWndParent = nullptr;
}

TEST(MessageTable, ADestroyWhileTheHostClosesBeginsNoSecondEnd)
{
    // The end sequence would close the plug-ins and end this process: reaching the next line
    // shows that the handler did not run.
    tvr::CCaptureWindow window;
    AdvanceHostState(EHostState::Running);
    AdvanceHostState(EHostState::Closing);
    EXPECT_EQ(0, MainWindowProc(window.Handle(), WM_DESTROY, 0, 0));
    EXPECT_EQ(EHostState::Closing, GetHostState());
}
