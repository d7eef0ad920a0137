// Hostile-input soak: tvrfuzz drives a real host with about 22,000 messages across every
// category, to every window of the host whose procedure is its own. The host must neither crash nor hang, show no unwanted effect (shown window,
// changed title, module from outside its folders, the canary's code run), and afterwards
// still serve a record and end through WM_CLOSE.
#include <gtest/gtest.h>
#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>

#include "HostHarness.h"
#include "ProbeLog.h"
#include "TelvarinPlugin.h"

namespace {

const unsigned COUNT_PER_CATEGORY = 2200;   // eleven categories; the command flood posts at least 20,000
const unsigned CATEGORIES = 11;
const DWORD FUZZ_TIME_LIMIT_S = 360;
const DWORD FUZZ_WAIT_MS = (FUZZ_TIME_LIMIT_S + 25) * 1000;

struct FuzzRun
{
    DWORD dwExitCode = 0;
    std::string strOutput;
};

// Runs tvrfuzz against the host process with its output in a file of the install folder.
bool RunFuzzer(const tvr::CInstallFolder& _Folder, DWORD _dwHostPid, FuzzRun* _pRun)
{
    const std::wstring strOutput = _Folder.Child(L"tvrfuzz-output.txt");
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hOutput = CreateFileW(strOutput.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hOutput == INVALID_HANDLE_VALUE)
        return false;
    const std::wstring strExe = std::wstring(TVR_TEST_PLUGINS_DIR) + L"\\..\\tools\\tvrfuzz.exe";
    std::wstring strCommand = L"\"" + strExe + L"\" --pid " + std::to_wstring(_dwHostPid) + L" --seed 20240611 --count " +
                              std::to_wstring(COUNT_PER_CATEGORY) + L" --category all --restart --time-limit " +
                              std::to_wstring(FUZZ_TIME_LIMIT_S);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdOutput = hOutput;
    si.hStdError = hOutput;
    si.hStdInput = nullptr;
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted = CreateProcessW(strExe.c_str(), &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(hOutput);
    if (!bStarted)
        return false;
    CloseHandle(pi.hThread);
    const bool bEnded = WaitForSingleObject(pi.hProcess, FUZZ_WAIT_MS) == WAIT_OBJECT_0;
    if (!bEnded)
        TerminateProcess(pi.hProcess, 99);
    GetExitCodeProcess(pi.hProcess, &_pRun->dwExitCode);
    CloseHandle(pi.hProcess);
    _pRun->strOutput = tvr::ReadFileBytes(strOutput);
    return bEnded;
}

// The numbers of the table's TOTAL line: sent, crashes, hangs, effects; false when missing.
bool ParseTotals(const std::string& _strOutput, unsigned long long* _pullSent, unsigned* _puCrashes, unsigned* _puHangs,
                 unsigned* _puEffects)
{
    const size_t uAt = _strOutput.find("\nTOTAL");
    if (uAt == std::string::npos)
        return false;
    std::istringstream line(_strOutput.substr(uAt + 6, 200));
    return static_cast<bool>(line >> *_pullSent >> *_puCrashes >> *_puHangs >> *_puEffects);
}

bool ProbeGotEvent(const std::wstring& _strLog, const std::string& _strEvent)
{
    for (const tvr::ProbeCall& call : tvr::ReadProbeLog(_strLog))
    {
        if (call.strCall == "BusProcess" && call.strType == std::to_string(QEL_BUSMSG_CALLEVENT) &&
            call.Field("Event") == _strEvent)
            return true;
    }
    return false;
}

bool ProbeGotTrace(const std::wstring& _strLog, const std::string& _strPart)
{
    for (const tvr::ProbeCall& call : tvr::ReadProbeLog(_strLog))
    {
        if (call.strCall == "BusProcess" && call.strType == std::to_string(QEL_BUSMSG_TRACE) &&
            call.Field("Text").find(_strPart) != std::string::npos)
            return true;
    }
    return false;
}

} // namespace

TEST(SoakTest, HostSurvivesEveryCategoryAndStillServes)
{
    tvr::CInstallFolder folder;
    const std::wstring strLog = folder.Child(L"probe.log");
    ASSERT_TRUE(tvr::InstallProbe(folder, L"PluginDebug", L"PluginProbeA.DLL", strLog, {}));
    ASSERT_TRUE(folder.AddPlugin(L"PluginInfo", L"PluginCanary.dll", L"PluginCanary.DLL"));
    ASSERT_TRUE(folder.AddPlugin(L"PluginInfo", L"CanaryHelper.dll", L"CanaryHelper.dll"));
    // Named TVRCONFIG, the host keeps its status report beside itself: the soak's thousands
    // of report entries do not touch the report that hosts of other tests write.
    const std::wstring strExe = folder.Child(L"TVRCONFIG.exe");
    ASSERT_TRUE(CopyFileW(folder.ExePath().c_str(), strExe.c_str(), FALSE));
    tvr::CHostProcess host;
    ASSERT_TRUE(host.Start(strExe));
    const HWND hWnd = host.WaitForWindow();
    ASSERT_NE(nullptr, hWnd);
    // Every plug-in has had its after-load call (the canary's helper is loaded) once the report ends.
    ASSERT_TRUE(tvr::WaitUntil([&] { return ProbeGotTrace(strLog, "Func.CServiceWindow.End"); }, 15000));

    FuzzRun run;
    const bool bEnded = RunFuzzer(folder, host.Pid(), &run);
    std::cout << run.strOutput << std::endl;
    ASSERT_TRUE(bEnded) << "tvrfuzz did not end in time";
    // The checks were armed: without them a clean table would mean nothing.
    EXPECT_NE(std::string::npos, run.strOutput.find("canary armed at"));
    EXPECT_NE(std::string::npos, run.strOutput.find("shared memory block"));
    unsigned long long ullSent = 0;
    unsigned uCrashes = 0, uHangs = 0, uEffects = 0;
    ASSERT_TRUE(ParseTotals(run.strOutput, &ullSent, &uCrashes, &uHangs, &uEffects));
    EXPECT_GE(ullSent, CATEGORIES * COUNT_PER_CATEGORY * 9ull / 10);
    // The settings window, its module info page and the information dialog were open beside
    // the main window while the windows category ran.
    const size_t uAt = run.strOutput.find("host windows with their own procedure: ");
    ASSERT_NE(std::string::npos, uAt);
    EXPECT_GE(std::stoi(run.strOutput.substr(uAt + 39, 4)), 4);
    EXPECT_EQ(0u, uCrashes);
    EXPECT_EQ(0u, uHangs);
    EXPECT_EQ(0u, uEffects);
    EXPECT_EQ(0u, run.dwExitCode) << "1: faults found, 3: time limit reached";

    // The same host still serves a record and ends through WM_CLOSE.
    ASSERT_TRUE(host.IsRunning());
    tvr::SendRecordText(hWnd, tvr::MakeRecord(QEL_BUSMSG_CALLEVENT, {{L"Event", L"after-soak"}}));
    EXPECT_TRUE(tvr::WaitUntil([&] { return ProbeGotEvent(strLog, "after-soak"); }, 5000));
    PostMessageW(hWnd, WM_CLOSE, 0, 0);
    DWORD dwExitCode = 1;
    ASSERT_TRUE(host.WaitForExit(15000, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}
