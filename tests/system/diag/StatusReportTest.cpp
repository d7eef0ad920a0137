#include "DiagHostFixture.h"

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
    // "OK" at the start, unless an error line of the start-up report (such as a missing
    // dialling location) has become the last error since.
    const std::wstring strLastError = Report(L"LastError", L"Error");
    EXPECT_TRUE(strLastError == L"OK" || strLastError.find(L"MAIN.Func.CServiceWindow.Error.") != std::wstring::npos)
        << tvr::WideToUtf8(strLastError);

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
    EXPECT_EQ(strBefore + "Func.Dial.Error.line busy", ErrorLog());

    // A trace line of the kind Error becomes the last error and so reaches the error log.
    PostMessageW(m_hWnd, WM_QEL_CALLFUNCTION, 0, 16);
    ASSERT_TRUE(WaitForTrace("Event.WM_QEL_CALLFUNCTION.Error."));
    ASSERT_TRUE(tvr::WaitUntil([&] { return ErrorLog().find("MAIN.Event.WM_QEL_CALLFUNCTION.Error.") != std::string::npos; }, 10000));
    EXPECT_NE(std::wstring::npos, Report(L"LastError", L"Error").find(L"MAIN.Event.WM_QEL_CALLFUNCTION.Error."));
}
