#include "HostWindowFixture.h"

#include "TelvarinPlugin.h"

TEST_F(HostWindowTest, PostedCloseEndsWithExitCodeZero)
{
    StartHost();
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    DWORD dwExitCode = 1;
    ASSERT_TRUE(m_Host.WaitForExit(10000, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    // Every list had its before-close call, the debug list last.
    const auto vecSequence = tvr::ProbeSequence(tvr::ReadProbeLog(m_strLog), {"BeforeClose"});
    EXPECT_EQ((std::vector<std::string>{"PluginProbeB.BeforeClose", "PluginProbeA.BeforeClose"}), vecSequence);
}

TEST_F(HostWindowTest, OneWakeUpMessagePerResume)
{
    StartHost();
    PostMessageW(m_hWnd, WM_TIMER, 2, 0);
    PostMessageW(m_hWnd, WM_POWERBROADCAST, PBT_APMRESUMESUSPEND, 0);
    PostMessageW(m_hWnd, WM_TIMER, 2, 0);
    PostMessageW(m_hWnd, WM_TIMER, 2, 0);
    Sync();
    EXPECT_EQ(1u, Received(QEL_BUSMSG_WAKEUP).size());
}

TEST_F(HostWindowTest, StartupReportAtDebugLevelZero)
{
    StartHost();
    EXPECT_EQ(1u, TraceLines("Func.CServiceWindow.Begin").size());
    EXPECT_EQ(1u, TraceLines("Func.CServiceWindow.Info.ProgramBitness:" + std::to_string(8 * sizeof(void*))).size());
    EXPECT_EQ(1u, TraceLines("Func.CServiceWindow.Info.DebugLevel:0").size());
    EXPECT_EQ(1u, TraceLines("Func.PrintSystemInfoFile.Info.System Information").size());
    // The locations key of a fresh prefix is empty.
    EXPECT_EQ(1u, TraceLines("Func.CServiceWindow.Error.Location 0;").size());
    EXPECT_EQ(1u, TraceLines("Func.CServiceWindow.End").size());
    // Lines above level 0 stay silent.
    EXPECT_TRUE(TraceLines("Var.g_hWndParent").empty());
    EXPECT_TRUE(TraceLines("After Load Action").empty());
    EXPECT_TRUE(TraceLines("MonitorThread started").empty());
    // The debug probe was after-loaded before the report. (The report's lines are posted and
    // reach the plug-ins only once the message loop runs, after the other lists' after-load.)
    const auto vecLog = tvr::ReadProbeLog(m_strLog);
    size_t uDebugAfterLoad = vecLog.size(), uReport = vecLog.size();
    for (size_t u = 0; u < vecLog.size(); ++u)
    {
        if (vecLog[u].strCall == "AfterLoad" && vecLog[u].strModule == "PluginProbeA")
            uDebugAfterLoad = u;
        if (uReport == vecLog.size() && vecLog[u].Field("Text").find("Func.CServiceWindow.Begin") != std::string::npos)
            uReport = u;
    }
    EXPECT_LT(uDebugAfterLoad, uReport);
    EXPECT_LT(uReport, vecLog.size());
}

TEST_F(HostWindowTest, SetTextWithoutRecordChangesNothing)
{
    StartHost();
    const size_t uBusCalls = tvr::ReadProbeLog(m_strLog).size();
    EXPECT_EQ(0, SendMessageW(m_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"not a record")));
    EXPECT_EQ(0, SendMessageW(m_hWnd, WM_SETTEXT, 1, reinterpret_cast<LPARAM>(L" <value keyword=\"Type\">44</value>")));
    wchar_t szTitle[64] = L"";
    SendMessageTimeoutW(m_hWnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(szTitle), SMTO_NORMAL, 5000, nullptr);
    EXPECT_STREQ(L"Telvarin", szTitle);
    // No record was logged or handed to the plug-ins for either text.
    EXPECT_NE(std::to_wstring(m_Host.Pid()), StatusReportValue(L"PrgMsg", L"ProcID"));
    Sync();
    const auto vecLog = tvr::ReadProbeLog(m_strLog);
    for (size_t i = uBusCalls; i < vecLog.size(); ++i)
        EXPECT_TRUE(vecLog[i].strType == "4" || vecLog[i].strType == std::to_string(SYNC_MARKER_TYPE))
            << vecLog[i].strCall << " " << vecLog[i].strType;
}
