#include "DiagHostFixture.h"

#include <cwchar>

#include "TelvarinPlugin.h"

namespace {

// The process ends once its dump is written, which under Wine has taken up to half a minute on
// a loaded machine: the wait is for that state, bounded generously.
const DWORD DUMP_EXIT_WAIT_MS = 120000;

const UINT FAULT_TYPE = 201;   // the probe faults inside its bus entry point for this type
const DWORD GUARD_EXIT_CODE = 1;

tvr::ProbeSettings FaultingProbe(const std::wstring& _strOn = L"BusProcess:" + std::to_wstring(FAULT_TYPE))
{
    tvr::ProbeSettings settings;
    settings.strFaultOn = _strOn;
    return settings;
}

// "Telvarin._CRASHDUMP_YYYYMMDD_hhmmss.DMP" for a local time.
std::wstring DumpNameAt(const SYSTEMTIME& _time)
{
    wchar_t szName[64];
    swprintf(szName, 64, L"Telvarin._CRASHDUMP_%04d%02d%02d_%02d%02d%02d.DMP", _time.wYear, _time.wMonth, _time.wDay,
             _time.wHour, _time.wMinute, _time.wSecond);
    return szName;
}

SYSTEMTIME LocalTimeIn(int _iSeconds)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER value = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    value.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(_iSeconds) * 10000000LL);
    ft = {value.LowPart, value.HighPart};
    FILETIME local;
    FileTimeToLocalFileTime(&ft, &local);
    SYSTEMTIME time;
    FileTimeToSystemTime(&local, &time);
    return time;
}

// Posted (wParam 0), so the fault happens in a message the loop dispatches.
void PostFaultingRecord(HWND _hWnd)
{
    tvr::SendRecordText(_hWnd, tvr::MakeRecord(FAULT_TYPE), 0);
}

} // namespace

TEST_F(DiagHostTest, FaultInPluginLeavesDumpBesideTheProgramAndEnds)
{
    StartHost(L"Telvarin.exe", FaultingProbe());
    ASSERT_TRUE(DumpFiles().empty());
    const SYSTEMTIME before = LocalTimeIn(-1);
    PostFaultingRecord(m_hWnd);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, &dwExitCode));
    const SYSTEMTIME after = LocalTimeIn(1);
    // The guard's own exception, not the fault, ended the process.
    EXPECT_EQ(GUARD_EXIT_CODE, dwExitCode);

    const std::vector<std::wstring> vecDumps = DumpFiles();
    ASSERT_EQ(1u, vecDumps.size());
    EXPECT_LE(DumpNameAt(before), vecDumps[0]);
    EXPECT_GE(DumpNameAt(after), vecDumps[0]);
    const std::string strDump = tvr::ReadFileBytes(m_Folder.Child(vecDumps[0]));
    ASSERT_GT(strDump.size(), 4u);
    EXPECT_EQ("MDMP", strDump.substr(0, 4));
}

TEST_F(DiagHostTest, CrashInTheSameSecondReplacesTheEarlierDump)
{
    StartHost(L"Telvarin.exe", FaultingProbe());
    // Earlier dumps for every second the crash can fall into.
    const int SECONDS = 40;
    for (int iSecond = -1; iSecond < SECONDS; ++iSecond)
        ASSERT_TRUE(m_Folder.WriteTextFile(DumpNameAt(LocalTimeIn(iSecond)), "old!"));
    const size_t uPlanted = DumpFiles().size();
    PostFaultingRecord(m_hWnd);
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, nullptr));

    const std::vector<std::wstring> vecDumps = DumpFiles();
    EXPECT_EQ(uPlanted, vecDumps.size());
    int iReplaced = 0;
    for (const std::wstring& strName : vecDumps)
    {
        const std::string strHead = tvr::ReadFileBytes(m_Folder.Child(strName)).substr(0, 4);
        EXPECT_TRUE(strHead == "old!" || strHead == "MDMP") << tvr::WideToUtf8(strName);
        iReplaced += strHead == "MDMP" ? 1 : 0;
    }
    EXPECT_EQ(1, iReplaced);
}

TEST_F(DiagHostTest, DumpIsWrittenThoughAPluginReplacedTheExceptionFilter)
{
    const UINT FILTER_PROBE_FAULT_TYPE = 202;   // the filter probe faults for this type
    ASSERT_TRUE(m_Folder.AddPlugin(L"PluginExtra", L"PluginFilterProbe.dll", L"PluginFilterProbe.dll"));
    StartHost(L"Telvarin.exe");
    ASSERT_TRUE(DumpFiles().empty());
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(FILTER_PROBE_FAULT_TYPE), 0);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, &dwExitCode));
    EXPECT_EQ(GUARD_EXIT_CODE, dwExitCode);

    const std::vector<std::wstring> vecDumps = DumpFiles();
    ASSERT_EQ(1u, vecDumps.size());
    EXPECT_EQ("MDMP", tvr::ReadFileBytes(m_Folder.Child(vecDumps[0])).substr(0, 4));
    // The plug-in's filter still had its turn, with the guard's exception after the dump.
    EXPECT_EQ("0x00000001", tvr::ReadFileBytes(m_Folder.Child(L"PluginExtra\\FilterProbe.seen")));
}

// A fault in a plug-in export in each sequence of the main thread: the start, the loop and
// the end after the loop (WM_QUIT, then the main window object's destructor).
struct SFaultCase
{
    const wchar_t* pszFaultOn;
    const char* pszExport;
    const char* pszSequence;
};

class PluginFaultTest : public DiagHostTest, public ::testing::WithParamInterface<SFaultCase>
{
};

TEST_P(PluginFaultTest, LeavesADumpAndNamesThePluginAndTheExport)
{
    // The faulting probe sits in the extra list; the debug probe, which sees every trace
    // line, stays sound and gets the line that names the fault.
    const SFaultCase& fault = GetParam();
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog, FaultingProbe(fault.pszFaultOn)));
    const std::wstring strHost = L"TVRCONFIG.exe";   // keeps its status report beside itself
    if (std::wstring(fault.pszFaultOn) == L"AfterLoad")
        LaunchHost(strHost);
    else
        StartHost(strHost);
    if (std::wstring(fault.pszFaultOn) == L"BeforeClose")
        ASSERT_TRUE(PostThreadMessageW(GetWindowThreadProcessId(m_hWnd, nullptr), WM_QUIT, 0, 0));
    else if (m_hWnd != nullptr)
        PostFaultingRecord(m_hWnd);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, &dwExitCode));
    EXPECT_EQ(GUARD_EXIT_CODE, dwExitCode);
    EXPECT_EQ(1u, DumpFiles().size());

    const std::string strCall = std::string("PluginProbeF.DLL ") + fault.pszExport;
    const std::string strLastError = tvr::WideToUtf8(Report(L"LastError", L"Error"));
    EXPECT_NE(std::string::npos, strLastError.find(std::string(fault.pszSequence) + ".Error.Fault in plug-in "))
        << strLastError;
    EXPECT_NE(std::string::npos, strLastError.find(strCall)) << strLastError;
    EXPECT_TRUE(WaitForTrace(strCall, 1000));
}

INSTANTIATE_TEST_SUITE_P(EverySequence, PluginFaultTest,
                         ::testing::Values(SFaultCase{L"AfterLoad", "DLL_PluginAfterLoad", "Func.CServiceWindow"},
                                           SFaultCase{L"BusProcess:201", "DLL_PluginBusProcess", "Func.RunMessageLoop"},
                                           SFaultCase{L"BeforeClose", "DLL_PluginBeforeClose", "Event.WM_DESTROY"}),
                         [](const ::testing::TestParamInfo<SFaultCase>& _info) {
                             return std::string(_info.param.pszExport + 4);   // without "DLL_"
                         });

TEST_F(DiagHostTest, FaultOutsideEveryExportIsNamedByItsAddressCodeAndPlugin)
{
    // The probe's own window faults in the message loop, where none of its exports runs.
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog,
                                  FaultingProbe(L"Window:BusProcess:" + std::to_wstring(FAULT_TYPE))));
    StartHost(L"TVRCONFIG.exe");
    PostFaultingRecord(m_hWnd);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, &dwExitCode));
    EXPECT_EQ(GUARD_EXIT_CODE, dwExitCode);
    EXPECT_EQ(1u, DumpFiles().size());
    const std::string strLastError = tvr::WideToUtf8(Report(L"LastError", L"Error"));
    for (const char* pszPart : {"Func.RunMessageLoop.Error.Fault in plug-in ", "PluginProbeF.DLL on thread ",
                                "code 0xC0000005"})
        EXPECT_NE(std::string::npos, strLastError.find(pszPart)) << strLastError;
    EXPECT_NE(std::wstring::npos, Report(L"RunEnd", L"Plugin").find(L"PluginProbeF.DLL"));
    EXPECT_TRUE(WaitForTrace("PluginProbeF.DLL on thread ", 1000));
}

TEST_F(DiagHostTest, FaultWhileTheFaultIsReportedStillEndsThroughTheGuard)
{
    // The debug probe faults on the very trace line that names the first fault: the report
    // runs on the unwound stack under a guard of its own, so the process still ends with
    // the guard's exception and the one dump of the first fault.
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog, FaultingProbe()));
    StartHost(L"TVRCONFIG.exe", FaultingProbe(L"BusProcess:4:Fault in plug-in"));
    PostFaultingRecord(m_hWnd);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(DUMP_EXIT_WAIT_MS, &dwExitCode));
    EXPECT_EQ(GUARD_EXIT_CODE, dwExitCode);
    EXPECT_EQ(1u, DumpFiles().size());
    EXPECT_NE(std::wstring::npos, Report(L"LastError", L"Error").find(L"PluginProbeF.DLL DLL_PluginBusProcess"));
}
