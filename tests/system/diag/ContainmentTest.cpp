// A plug-in that hangs or faults, on the main thread or on a thread of its own, is named in
// the evidence; one that ends two runs in a row is not loaded at the next start.
#include "DiagHostFixture.h"

#include <cstdlib>

#include "TelvarinPlugin.h"

namespace {

const UINT HANG_TYPE = 203;      // the hanging probe sleeps in its bus entry point for this type
const UINT THREAD_FAULT_TYPE = 201;
const UINT SERVED_TYPE = 204;
const DWORD HANG_MS = 15000;
const wchar_t HOST[] = L"TVRCONFIG.exe";   // keeps its settings and its status report beside itself
const DWORD ACCESS_VIOLATION = 0xC0000005;
// Writing a dump under Wine here has taken up to half a minute.
const DWORD EXIT_WAIT_MS = 120000;
const DWORD DUMP_WAIT_MS = 120000;

class ContainmentTest : public DiagHostTest
{
protected:
    // The configuration store of the TVRCONFIG host.
    std::wstring ConfigIni() const { return m_Folder.Child(L"CFG\\TVRCONFIG.INI"); }
    void SetConfig(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue) const
    {
        CreateDirectoryW(m_Folder.Child(L"CFG").c_str(), nullptr);
        ASSERT_TRUE(WritePrivateProfileStringW(_pszSection, _pszKey, _pszValue, ConfigIni().c_str()));
    }
    // The text of the first trace line the debug probe got that holds the part; empty when none.
    std::string TraceText(const std::string& _strPart) const
    {
        for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
        {
            if (call.strCall == "BusProcess" && call.strType == std::to_string(QEL_BUSMSG_TRACE) &&
                call.Field("Text").find(_strPart) != std::string::npos)
                return call.Field("Text");
        }
        return "";
    }
    // One hang dump, holding its header (it is written after the entry, and slowly).
    bool HasOneCompleteHangDump() const
    {
        const std::vector<std::wstring> vecHangDumps = Files(L"TVRCONFIG._HANGDUMP_*.DMP");
        return vecHangDumps.size() == 1 && tvr::ReadFileBytes(m_Folder.Child(vecHangDumps[0])).substr(0, 4) == "MDMP";
    }
    // One hang dump in the end, and nothing was ended: the host still serves the bus.
    void ExpectOneHangDumpAndTheHostServing() const
    {
        EXPECT_TRUE(tvr::WaitUntil([&] { return HasOneCompleteHangDump(); }, DUMP_WAIT_MS));
        EXPECT_EQ(1u, Files(L"TVRCONFIG._HANGDUMP_*.DMP").size());
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(SERVED_TYPE), 1);
        EXPECT_TRUE(tvr::WaitForProbeCall(
            m_strLog, [](const tvr::ProbeCall& _call) { return _call.strType == std::to_string(SERVED_TYPE); },
            10000));
        EXPECT_TRUE(m_Host.IsRunning());
    }
    bool CalledModule(const std::string& _strModule) const
    {
        for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
        {
            if (call.strModule == _strModule)
                return true;
        }
        return false;
    }
    // One run whose faulting probe ends it in its after-load call.
    void RunEndingInAfterLoad()
    {
        LaunchHost(HOST);
        DWORD dwExitCode = 0;
        ASSERT_TRUE(m_Host.WaitForExit(EXIT_WAIT_MS, &dwExitCode));
        ASSERT_EQ(1u, dwExitCode);
    }
};

tvr::ProbeSettings ProbeThat(const std::wstring& _strFaultOn, const std::wstring& _strHangOn = L"")
{
    tvr::ProbeSettings settings;
    settings.strFaultOn = _strFaultOn;
    settings.strHangOn = _strHangOn;
    settings.dwHangMs = HANG_MS;
    return settings;
}

} // namespace

TEST_F(ContainmentTest, HungBusCallLeavesOneHangDumpAnEntryAndItsDurationAndTheHostServesAfterwards)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeH.DLL", m_strLog,
                                  ProbeThat(L"", L"BusProcess:" + std::to_wstring(HANG_TYPE))));
    ASSERT_NO_FATAL_FAILURE(SetConfig(L"General", L"HangDumpSeconds", L"2"));
    StartHost(HOST);
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(HANG_TYPE), 0);

    // While the call hangs: one hang dump and the entry naming plug-in, export and bus type.
    const std::wstring strCall = L"PluginProbeH.DLL DLL_PluginBusProcess type " + std::to_wstring(HANG_TYPE);
    EXPECT_TRUE(tvr::WaitUntil([&] { return Report(L"LastError", L"Error").find(strCall) != std::wstring::npos; }, 10000))
        << tvr::WideToUtf8(Report(L"LastError", L"Error"));
    EXPECT_NE(std::wstring::npos, Report(L"LastError", L"Error").find(L"running for more than 2 s"));
    EXPECT_NE(std::wstring::npos, Report(L"RunEnd", L"Plugin").find(L"PluginProbeH.DLL"));
    EXPECT_TRUE(DumpFiles().empty());

    // When it returns: the duration, once; the run no longer ends in the plug-in.
    ASSERT_TRUE(WaitForTrace("Hung plug-in call returned after ", HANG_MS + 15000));
    const std::string strLine = TraceText("Hung plug-in call returned after ");
    EXPECT_NE(std::string::npos, strLine.find(tvr::WideToUtf8(strCall))) << strLine;
    const unsigned long ulMs = strtoul(strLine.substr(strLine.find("after ") + 6).c_str(), nullptr, 10);
    EXPECT_GE(ulMs, HANG_MS - 100);
    EXPECT_EQ(L"", Report(L"RunEnd", L"Plugin"));
    ExpectOneHangDumpAndTheHostServing();
}

TEST_F(ContainmentTest, HangInTheStartsAfterLoadLeavesOneHangDumpAndAnEntryAndTheStartGoesOn)
{
    ASSERT_TRUE(
        tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeH.DLL", m_strLog, ProbeThat(L"", L"AfterLoad")));
    ASSERT_NO_FATAL_FAILURE(SetConfig(L"General", L"HangDumpSeconds", L"2"));
    LaunchHost(HOST);

    // While the start waits for the call: the entry naming plug-in and export.
    const std::wstring strCall = L"PluginProbeH.DLL DLL_PluginAfterLoad";
    EXPECT_TRUE(
        tvr::WaitUntil([&] { return Report(L"LastError", L"Error").find(strCall) != std::wstring::npos; }, HANG_MS))
        << tvr::WideToUtf8(Report(L"LastError", L"Error"));
    EXPECT_NE(std::wstring::npos, Report(L"LastError", L"Error").find(L"running for more than 2 s"));
    EXPECT_NE(std::wstring::npos, Report(L"RunEnd", L"Plugin").find(L"PluginProbeH.DLL"));

    // The start goes on when the call returns, which the trace tells.
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    ASSERT_TRUE(WaitForTrace("Func.CServiceWindow.End", HANG_MS + 15000));
    EXPECT_NE(std::string::npos, TraceText("Hung plug-in call returned after ").find(tvr::WideToUtf8(strCall)));
    ExpectOneHangDumpAndTheHostServing();
}

TEST_F(ContainmentTest, FaultOnAPluginThreadLeavesADumpAndNamesThePluginThoughItReplacedTheFilter)
{
    // The filter probe puts its own unhandled-exception filter in place at after-load.
    ASSERT_TRUE(m_Folder.AddPlugin(L"PluginExtra", L"PluginFilterProbe.dll", L"PluginFilterProbe.dll"));
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog,
                                  ProbeThat(L"Thread:BusProcess:" + std::to_wstring(THREAD_FAULT_TYPE))));
    StartHost(HOST);
    tvr::SendRecordText(m_hWnd, tvr::MakeRecord(THREAD_FAULT_TYPE), 0);
    DWORD dwExitCode = 0;
    ASSERT_TRUE(m_Host.WaitForExit(EXIT_WAIT_MS, &dwExitCode));
    EXPECT_EQ(ACCESS_VIOLATION, dwExitCode);

    const std::vector<std::wstring> vecDumps = DumpFiles();
    ASSERT_EQ(1u, vecDumps.size());
    EXPECT_EQ("MDMP", tvr::ReadFileBytes(m_Folder.Child(vecDumps[0])).substr(0, 4));
    const std::wstring strError = Report(L"LastError", L"Error");
    EXPECT_NE(std::wstring::npos, strError.find(L"Event.UnhandledException.Error.Fault in plug-in ")) << tvr::WideToUtf8(strError);
    EXPECT_NE(std::wstring::npos, strError.find(L"PluginProbeF.DLL on thread ")) << tvr::WideToUtf8(strError);
    EXPECT_NE(std::wstring::npos, Report(L"RunEnd", L"Plugin").find(L"PluginProbeF.DLL"));
    // The plug-in's filter still had its turn, after the host's.
    EXPECT_EQ("0xC0000005", tvr::ReadFileBytes(m_Folder.Child(L"PluginExtra\\FilterProbe.seen")));
}

TEST_F(ContainmentTest, HangInAPluginsLoadLeavesAnEntryNamingTheFileDuringTheLoadThenOneHangDump)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeL.DLL", m_strLog, ProbeThat(L"", L"Load")));
    ASSERT_NO_FATAL_FAILURE(SetConfig(L"General", L"HangDumpSeconds", L"2"));
    LaunchHost(HOST);

    // While the main thread holds the loader lock in the plug-in's entry point (the probe logs
    // its first export call only after its load), the entry and the run-end record name the
    // file: no module handle exists yet.
    const std::wstring strCall = L"PluginProbeL.DLL LoadLibrary";
    std::wstring strEntry;
    std::wstring strRunEnd;
    bool bLoaded = false;
    EXPECT_TRUE(tvr::WaitUntil(
        [&] {
            strEntry = Report(L"LastError", L"Error");
            strRunEnd = Report(L"RunEnd", L"Plugin");
            bLoaded = CalledModule("PluginProbeL");
            return strEntry.find(strCall) != std::wstring::npos || bLoaded;
        },
        HANG_MS));
    EXPECT_FALSE(bLoaded);
    EXPECT_NE(std::wstring::npos, strEntry.find(strCall)) << tvr::WideToUtf8(strEntry);
    EXPECT_NE(std::wstring::npos, strEntry.find(L"running for more than 2 s"));
    EXPECT_NE(std::wstring::npos, strRunEnd.find(L"PluginExtra\\PluginProbeL.DLL"));

    // Wine's dump writer asks the loader itself (module handles, procedure addresses, the
    // dumped modules' version resources), so under Wine the dump is finished only once the
    // load returns: it is checked afterwards.
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    ASSERT_TRUE(WaitForTrace("Func.CServiceWindow.End", HANG_MS + 15000));
    EXPECT_NE(std::string::npos, TraceText("Hung plug-in call returned after ").find(tvr::WideToUtf8(strCall)));
    EXPECT_EQ(L"", Report(L"RunEnd", L"Plugin"));
    ExpectOneHangDumpAndTheHostServing();
}

TEST_F(ContainmentTest, PluginEndingTwoRunsInARowIsStoppedUntilSwitchedOnAgain)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog, ProbeThat(L"AfterLoad")));
    // One fault alone stops nothing: the second run loads the plug-in and ends in it again.
    ASSERT_NO_FATAL_FAILURE(RunEndingInAfterLoad());
    ASSERT_NO_FATAL_FAILURE(RunEndingInAfterLoad());
    EXPECT_NE(std::wstring::npos, Report(L"RunEnd", L"Plugin").find(L"PluginProbeF.DLL"));
    EXPECT_EQ(L"", tvr::ReadIniValue(ConfigIni(), L"StoppedPlugins", L"PluginExtra\\PluginProbeF.DLL"));

    DeleteFileW(m_strLog.c_str());
    StartHost(HOST);
    EXPECT_TRUE(WaitForTrace("stopped after faults: "));
    EXPECT_NE(std::string::npos, TraceText("stopped after faults: ").find("PluginProbeF.DLL"));
    EXPECT_TRUE(WaitForTrace("Stopped after faults, not loaded: "));
    EXPECT_NE(std::string::npos, TraceText("Stopped after faults, not loaded: ").find("PluginExtra\\PluginProbeF.DLL"));
    EXPECT_FALSE(CalledModule("PluginProbeF"));
    EXPECT_EQ(L"PluginExtra\\PluginProbeF.DLL", Report(L"StoppedPlugins", L"Modules"));
    EXPECT_EQ(0u, tvr::ReadIniValue(ConfigIni(), L"StoppedPlugins", L"PluginExtra\\PluginProbeF.DLL").find(L"stopped;"));
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    ASSERT_TRUE(m_Host.WaitForExit(EXIT_WAIT_MS, nullptr));

    // Switched on again (the module info page clears the mark; tested with the page), the
    // plug-in is loaded at the next start.
    ASSERT_NO_FATAL_FAILURE(SetConfig(L"StoppedPlugins", L"PluginExtra\\PluginProbeF.DLL", L""));
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginExtra", L"PluginProbeF.DLL", m_strLog, ProbeThat(L"")));
    DeleteFileW(m_strLog.c_str());
    StartHost(HOST);
    EXPECT_TRUE(tvr::WaitForProbeCall(
        m_strLog, [](const tvr::ProbeCall& _call) { return _call.strModule == "PluginProbeF" && _call.strCall == "AfterLoad"; },
        10000));
    EXPECT_EQ(L"", Report(L"StoppedPlugins", L"Modules"));
}
