#include "DiagHostFixture.h"

#include <algorithm>
#include <cstddef>

#include "TelvarinPlugin.h"

namespace {
const wchar_t STATUS_HOST[] = L"TVRCONFIG.exe";
const UINT PLAIN_TYPE = 200;   // a type the host only distributes
}

TEST_F(DiagHostTest, StatusReportFollowsTheRun)
{
    StartHost(STATUS_HOST);
    ASSERT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"OK"));
    EXPECT_EQ(std::to_wstring(m_Host.Pid()), Report(L"ProgramStatus", L"ProcID"));
    EXPECT_EQ(L"Telvarin", Report(L"ProgramStatus", L"ProductName"));
    EXPECT_FALSE(Report(L"ProgramStatus", L"User").empty());
    EXPECT_EQ(L" UTC", Report(L"ProgramStatus", L"Time").substr(19));
    // A healthy start (here without a dialling location, whose line is no fault) leaves
    // "OK" as the last error and nothing in the error log.
    ASSERT_TRUE(WaitForTrace("Func.CServiceWindow.Error.Location"));
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(PLAIN_TYPE));   // handled after every line of the start
    EXPECT_EQ(L"OK", Report(L"LastError", L"Error"));
    EXPECT_EQ("", ErrorLog());

    // Status messages of the plug-ins, handed over as records from outside.
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"3"}, {L"Text", L"line down"}}));
    EXPECT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"ERROR"));
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"4"}}));
    EXPECT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"PAUSED"));
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"9"}}));
    EXPECT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"UNKNOWN"));

    // Every record from outside leaves its fields in "PrgMsg", verbatim.
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(PLAIN_TYPE, {{L"Command", L"dial %s%d"}, {L"Partner", L"+49 30 1234"}}));
    ASSERT_TRUE(WaitForReport(L"PrgMsg", L"Type", std::to_wstring(PLAIN_TYPE)));
    EXPECT_EQ(L"dial %s%d", Report(L"PrgMsg", L"Command"));
    EXPECT_EQ(L"+49 30 1234", Report(L"PrgMsg", L"Partner"));
    EXPECT_EQ(L"Unknown", Report(L"PrgMsg", L"Sender"));
    EXPECT_EQ(std::to_wstring(m_Host.Pid()), Report(L"PrgMsg", L"ProcID"));

    // A loop that ends by WM_QUIT ends through the main window's destructor.
    const DWORD dwThread = GetWindowThreadProcessId(m_hWnd, nullptr);
    ASSERT_TRUE(PostThreadMessageW(dwThread, WM_QUIT, 0, 0));
    EXPECT_TRUE(m_Host.WaitForExit(10000, nullptr));
    EXPECT_EQ(L"ENDED", Report(L"ProgramStatus", L"Status"));
}

TEST_F(DiagHostTest, ModuleThatIsNotUnicodeIsNamedButIsNoFault)
{
    tvr::ProbeSettings ansi;
    ansi.iIsUnicode = 0;   // as a module without DLL_IsUnicode leaves its slot
    StartHost(STATUS_HOST, ansi);
    const auto countNotes = [&] {
        const auto vecLog = tvr::ReadProbeLog(m_strLog);
        return std::count_if(vecLog.begin(), vecLog.end(), [](const tvr::ProbeCall& _call) {
            return _call.strType == std::to_string(QEL_BUSMSG_TRACE) &&
                   _call.Field("Text").find("Func.PrintFileInfos.Error.UNICODE:PluginProbeA") != std::string::npos;
        });
    };
    ASSERT_TRUE(tvr::WaitUntil([&] { return countNotes() == 1; }, 10000));
    // The hourly report of the debug list names it again.
    PostMessageW(m_hWnd, WM_TIMER, 1, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return countNotes() == 2; }, 10000));
    // A record posted behind the lines reaches the probe after everything they caused.
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(PLAIN_TYPE), 0);
    ASSERT_TRUE(tvr::WaitForProbeCall(m_strLog, [](const tvr::ProbeCall& _call) {
        return _call.strType == std::to_string(PLAIN_TYPE);
    }, 10000));
    EXPECT_EQ(L"OK", Report(L"LastError", L"Error"));
    EXPECT_EQ("", ErrorLog());
}

TEST_F(DiagHostTest, ErrorLogTakesOnlyValuesWithErrorKind)
{
    StartHost(STATUS_HOST);
    ASSERT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"OK"));
    const std::string strBefore = ErrorLog();

    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"3"}}));
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_LASTERROR, {{L"LastErr", L"ERROR"}}));
    ASSERT_TRUE(WaitForReport(L"LastError", L"Error", L"ERROR"));
    EXPECT_EQ(L"ERROR", Report(L"ProgramStatus", L"Status"));
    EXPECT_EQ(strBefore, ErrorLog());

    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_LASTERROR, {{L"LastErr", L"Func.Dial.Error.line busy"}}));
    ASSERT_TRUE(WaitForReport(L"LastError", L"Error", L"Func.Dial.Error.line busy"));
    EXPECT_EQ(strBefore + "Func.Dial.Error.line busy\r\n", ErrorLog());

    // A trace line of the kind Error becomes the last error and so reaches the error log.
    PostMessageW(m_hWnd, WM_QEL_CALLFUNCTION, 0, 16);
    ASSERT_TRUE(WaitForTrace("Event.WM_QEL_CALLFUNCTION.Error."));
    ASSERT_TRUE(tvr::WaitUntil([&] { return ErrorLog().find("MAIN.Event.WM_QEL_CALLFUNCTION.Error.") != std::string::npos; }, 10000));
    EXPECT_NE(std::wstring::npos, Report(L"LastError", L"Error").find(L"MAIN.Event.WM_QEL_CALLFUNCTION.Error."));
}

TEST_F(DiagHostTest, InjectedLineBreaksAddNothingToTheStatusReport)
{
    StartHost(STATUS_HOST);
    ASSERT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"OK"));
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(PLAIN_TYPE, {{L"Command", L"x\r\n[AccInjected]\r\nForged=1"},
                                                            {L"Partner", L"1\nProcID=0"}}));
    ASSERT_TRUE(WaitForReport(L"PrgMsg", L"Command", L"x  [AccInjected]  Forged=1"));
    EXPECT_EQ(L"1 ProcID=0", Report(L"PrgMsg", L"Partner"));
    EXPECT_EQ(std::to_wstring(m_Host.Pid()), Report(L"PrgMsg", L"ProcID"));
    EXPECT_EQ(L"", Report(L"AccInjected", L"Forged"));
    // The report still holds the host's three sections only, each with its fixed keys.
    const std::string strReport = tvr::ReadFileBytes(m_Folder.Child(L"LOG\\StatusReport.ini"));
    EXPECT_EQ(std::string::npos, strReport.find("\n[AccInjected]"));
    EXPECT_EQ(std::string::npos, strReport.find("\nForged"));
    EXPECT_EQ(std::string::npos, strReport.find("\nProcID=0"));
}

TEST_F(DiagHostTest, ErrorLogStaysBoundedUnderAFloodOfErrorEntries)
{
    const size_t LIMIT = 256 * 1024;
    const int ENTRIES = 1100;   // about 1.1 times the limit in 250-character values
    StartHost(STATUS_HOST);
    ASSERT_TRUE(WaitForReport(L"ProgramStatus", L"Status", L"OK"));
    std::wstring strLast;
    for (int i = 0; i < ENTRIES; ++i)
    {
        strLast = L"Func.Flood.Error." + std::to_wstring(100000 + i) + L" " + std::wstring(227, L'x');
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_LASTERROR, {{L"LastErr", strLast}}));
    }
    ASSERT_TRUE(WaitForReport(L"LastError", L"Error", strLast, 30000));
    const std::string strLog = ErrorLog();
    const std::string strOld = tvr::ReadFileBytes(m_Folder.Child(L"LOG\\ErrorLog.old.txt"));
    EXPECT_LE(strLog.size(), LIMIT);
    EXPECT_LE(strOld.size(), LIMIT);
    EXPECT_GT(strOld.size(), LIMIT - 300);
    const std::string strLastLine = tvr::WideToUtf8(strLast) + "\r\n";
    ASSERT_GE(strLog.size(), strLastLine.size());
    EXPECT_EQ(strLastLine, strLog.substr(strLog.size() - strLastLine.size()));
    EXPECT_EQ(static_cast<std::ptrdiff_t>(ENTRIES),
              std::count(strLog.begin(), strLog.end(), '\n') + std::count(strOld.begin(), strOld.end(), '\n'));
}
