#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "CaptureWindow.h"
#include "TelvarinPlugin.h"
#include "bus/MainWindowHandle.h"
#include "host/service/ServiceSide.h"
#include "host/window/MainWindowState.h"
#include "host/window/TrayActions.h"

namespace {

// The capture window takes the main window's place for the commands.
class TrayMenuCommand : public ::testing::Test
{
protected:
    void SetUp() override
    {
        g_hWndParent = m_Window.Handle();
        g_dwServiceRunning = 0;
        MainWindowState().EndExit();
    }
    void TearDown() override { g_hWndParent = nullptr; }
    tvr::CCaptureWindow m_Window;
};

} // namespace

TEST_F(TrayMenuCommand, PauseAndContinueGoToTheServiceMessageWhenNoServiceRuns)
{
    RunTrayCommand(CMD_PAUSE);
    RunTrayCommand(CMD_CONTINUE);
    ASSERT_EQ(2u, m_Window.Sent().size());
    EXPECT_EQ(static_cast<UINT>(WM_QEL_SERVICE), m_Window.Sent()[0].uMsg);
    EXPECT_EQ(7u, m_Window.Sent()[0].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_QEL_SERVICE), m_Window.Sent()[1].uMsg);
    EXPECT_EQ(4u, m_Window.Sent()[1].wParam);
}

TEST_F(TrayMenuCommand, ExitPostsWmDestroyOnceAndReleasesItsGuard)
{
    RunTrayCommand(CMD_EXIT);
    MSG msg;
    EXPECT_TRUE(m_Window.TakePosted(WM_DESTROY, &msg));
    EXPECT_FALSE(MainWindowState().IsExitRunning());
    // A second exit while the first still runs is ignored.
    ASSERT_TRUE(MainWindowState().BeginExit());
    RunTrayCommand(CMD_EXIT);
    EXPECT_FALSE(m_Window.TakePosted(WM_DESTROY, &msg));
    EXPECT_TRUE(MainWindowState().IsExitRunning());
}

TEST_F(TrayMenuCommand, OtherIdsBecomeAMenuCommandForThePlugins)
{
    RunTrayCommand(40123);
    MSG msg;
    ASSERT_TRUE(m_Window.TakePosted(WM_QEL_BUS, &msg));
    EXPECT_EQ(static_cast<WPARAM>(QEL_BUSMSG_MENUCOMMAND), msg.wParam);
    const std::wstring strRecord = tvr::CCaptureWindow::TakeRecordText(msg);
    EXPECT_STREQ(L"40123", GetBusValue(strRecord.c_str(), L"WParam"));
    EXPECT_STREQ(L"0", GetBusValue(strRecord.c_str(), L"LParam"));
    EXPECT_TRUE(m_Window.Sent().empty());
}
