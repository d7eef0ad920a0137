// Start modes and switches of the real program, observed from outside.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>

#include "HostHarness.h"
#include "ProbeLog.h"

using namespace tvr;

namespace {

const DWORD START_TIMEOUT_MS = 20000;

// Starts the host with the arguments and expects its main window.
HWND StartHost(CHostProcess& _process, const CInstallFolder& _folder, const std::wstring& _strArgs = L"")
{
    EXPECT_TRUE(_process.Start(_folder.ExePath(), _strArgs));
    return _process.WaitForWindow(START_TIMEOUT_MS);
}

void CloseAndExpectExitCodeZero(CHostProcess& _process, HWND _hWnd)
{
    ASSERT_TRUE(PostMessageW(_hWnd, WM_CLOSE, 0, 0));
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(_process.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}

// A copy of the program named TVRCONFIG, which keeps its status report beside itself, so
// that hosts of tests running at the same time do not write the same report.
std::wstring OwnReportProgram(const CInstallFolder& _folder)
{
    const std::wstring strExe = _folder.Child(L"TVRCONFIG.exe");
    EXPECT_TRUE(CopyFileW(_folder.ExePath().c_str(), strExe.c_str(), FALSE));
    return strExe;
}

std::wstring StatusReportValue(const CInstallFolder& _folder, const wchar_t* _pszSection, const wchar_t* _pszKey)
{
    return ReadIniValue(_folder.Child(L"LOG\\StatusReport.ini"), _pszSection, _pszKey);
}

std::wstring ShellFolder(int _iFolder)
{
    wchar_t szPath[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, _iFolder, nullptr, SHGFP_TYPE_CURRENT, szPath);
    return szPath;
}

} // namespace

TEST(StartModes, HostWindowIsFoundByUserDataAndWmCloseEndsWithExitCodeZero)
{
    CInstallFolder folder;
    CHostProcess host;
    HWND hWnd = StartHost(host, folder);
    ASSERT_NE(nullptr, hWnd);
    wchar_t szClass[64] = L"";
    GetClassNameW(hWnd, szClass, 64);
    EXPECT_STREQ(L"Telvarin", szClass);
    EXPECT_FALSE(IsWindowVisible(hWnd));
    CloseAndExpectExitCodeZero(host, hWnd);
}

TEST(StartModes, UnknownSwitchesStartNormally)
{
    for (const wchar_t* pszArgs : {L"-x", L"/D"})
    {
        SCOPED_TRACE(testing::Message() << "arguments " << WideToUtf8(pszArgs));
        CInstallFolder folder;
        CHostProcess host;
        HWND hWnd = StartHost(host, folder, pszArgs);
        ASSERT_NE(nullptr, hWnd);
        CloseAndExpectExitCodeZero(host, hWnd);
    }
}

TEST(StartModes, SecondStartHandsOverAndEndsWhileTheFirstRuns)
{
    CInstallFolder folder;
    const std::wstring strLog = folder.Child(L"probe.log");
    ASSERT_TRUE(InstallProbe(folder, L"PluginDebug", L"PluginProbeA.DLL", strLog, {}));
    const std::wstring strExe = OwnReportProgram(folder);
    CHostProcess first;
    ASSERT_TRUE(first.Start(strExe));
    HWND hWndFirst = first.WaitForWindow(START_TIMEOUT_MS);
    ASSERT_NE(nullptr, hWndFirst);
    ASSERT_TRUE(WaitForProbeCall(strLog, [](const ProbeCall& _call) {
        return _call.strType == "4" && _call.Field("Text").find("Func.CServiceWindow.End") != std::string::npos;
    }, START_TIMEOUT_MS));

    // A host of another install folder, started later, runs beside it: the hand-over is not its.
    CInstallFolder otherFolder;
    CHostProcess other;
    ASSERT_TRUE(other.Start(OwnReportProgram(otherFolder)));
    HWND hWndOther = other.WaitForWindow(START_TIMEOUT_MS);
    ASSERT_NE(nullptr, hWndOther);

    CHostProcess second;
    const ULONGLONG ullStart = GetTickCount64();
    ASSERT_TRUE(second.Start(strExe));
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(second.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_GE(GetTickCount64() - ullStart, 2000u);   // the hand-over waits 2 s before it ends
    EXPECT_TRUE(first.IsRunning());
    EXPECT_EQ(hWndFirst, FindHostWindowOfProcess(first.Pid()));
    // The first host got the hand-over as a record text (type 9, its settings window). It
    // writes the status report once the record is handled, which a busy machine can delay
    // past the end of the second start.
    WaitUntil([&] { return StatusReportValue(folder, L"PrgMsg", L"Type") == L"9"; }, 10000);
    EXPECT_EQ(L"9", StatusReportValue(folder, L"PrgMsg", L"Type"));
    EXPECT_EQ(std::to_wstring(first.Pid()), StatusReportValue(folder, L"PrgMsg", L"ProcID"));
    EXPECT_EQ(L"", StatusReportValue(otherFolder, L"PrgMsg", L"Type"));
    CloseAndExpectExitCodeZero(other, hWndOther);

    // It goes on serving records of every size and ends in order.
    for (size_t cchValue : {size_t(10), size_t(16000), size_t(100000)})
        SendRecordText(hWndFirst, MakeRecord(44, {{L"Event", L"after" + std::to_wstring(cchValue)},
                                                  {L"Value", std::wstring(cchValue, L'v')}}));
    for (const char* pszEvent : {"after10", "after16000", "after100000"})
        EXPECT_TRUE(WaitForProbeCall(strLog, [&](const ProbeCall& _call) {
            return _call.strType == "44" && _call.Field("Event") == pszEvent;
        }, 5000)) << pszEvent;
    CloseAndExpectExitCodeZero(first, hWndFirst);
    const auto vecLog = ReadProbeLog(strLog);
    EXPECT_TRUE(std::any_of(vecLog.begin(), vecLog.end(),
                            [](const ProbeCall& _call) { return _call.strCall == "BeforeClose"; }));
}

TEST(StartModes, HostsFromDifferentFoldersRunSideBySide)
{
    CInstallFolder folderA;
    CInstallFolder folderB;
    CHostProcess hostA;
    CHostProcess hostB;
    HWND hWndA = StartHost(hostA, folderA);
    HWND hWndB = StartHost(hostB, folderB);
    ASSERT_NE(nullptr, hWndA);
    ASSERT_NE(nullptr, hWndB);
    CloseAndExpectExitCodeZero(hostB, hWndB);
    CloseAndExpectExitCodeZero(hostA, hWndA);
}

TEST(StartModes, SetTextWithoutRecordChangesNothing)
{
    CInstallFolder folder;
    CHostProcess host;
    ASSERT_TRUE(host.Start(OwnReportProgram(folder)));
    HWND hWnd = host.WaitForWindow(START_TIMEOUT_MS);
    ASSERT_NE(nullptr, hWnd);
    EXPECT_EQ(0, SendRecordText(hWnd, L"not a record", 1));
    EXPECT_EQ(0, SendRecordText(hWnd, L"", 0));
    wchar_t szTitle[64] = L"";
    SendMessageTimeoutW(hWnd, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(szTitle), SMTO_NORMAL, 5000, nullptr);
    EXPECT_STREQ(L"Telvarin", szTitle);
    // Neither text was taken for a record: this host wrote no record log.
    EXPECT_NE(std::to_wstring(host.Pid()), StatusReportValue(folder, L"PrgMsg", L"ProcID"));
    EXPECT_TRUE(host.IsRunning());
    CloseAndExpectExitCodeZero(host, hWnd);
}

TEST(Switches, StartSwitchWithoutServiceEndsWithoutWindow)
{
    CInstallFolder folder;
    CHostProcess host;
    ASSERT_TRUE(host.Start(folder.ExePath(), L"-d"));
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(host.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}

TEST(Switches, ShortcutSwitchMakesTheLinksAndRuns)
{
    const std::wstring strStartup = ShellFolder(CSIDL_COMMON_STARTUP) + L"\\Phone.LNK";
    const std::wstring strMenu = ShellFolder(CSIDL_COMMON_STARTMENU) + L"\\Programs\\Phone.LNK";
    const std::wstring strUserStartup = ShellFolder(CSIDL_STARTUP) + L"\\Phone.LNK";
    // An old link in the user's Startup folder is removed.
    CreateDirectoryW(ShellFolder(CSIDL_STARTUP).c_str(), nullptr);
    HANDLE hOld = CreateFileW(strUserStartup.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(hOld);

    CInstallFolder folder;
    CHostProcess host;
    HWND hWnd = StartHost(host, folder, L"-S Programs#Phone#x#");
    ASSERT_NE(nullptr, hWnd);
    EXPECT_TRUE(FileExists(strStartup));
    EXPECT_TRUE(FileExists(strMenu));
    EXPECT_FALSE(FileExists(strUserStartup));
    CloseAndExpectExitCodeZero(host, hWnd);
    DeleteFileW(strStartup.c_str());
    DeleteFileW(strMenu.c_str());
}
