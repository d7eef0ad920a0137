// tvrctl run as a user would run it: its exit codes and its messages, with and without a
// running host. The tests of this program run alone: no other host runs meanwhile.
#include <gtest/gtest.h>

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <string>

#include "HostHarness.h"
#include "ProbeLog.h"
#include "TelvarinPlugin.h"
#include "TestFiles.h"
#include "CabinetUnpack.h"
#include "ToolRun.h"

using namespace tvr;

namespace {

const DWORD WAIT_MS = 20000;
const DWORD TOOL_WAIT_MS = 60000;

std::wstring CommandLine(const std::wstring& _strExe, const std::wstring& _strArgs)
{
    return L"\"" + _strExe + L"\" " + _strArgs;
}

SToolResult RunExe(const std::wstring& _strExe, const std::wstring& _strArgs)
{
    return RunTool(CommandLine(_strExe, _strArgs), TOOL_WAIT_MS);
}

SToolResult RunTvrctl(const std::wstring& _strArgs)
{
    return RunExe(TVR_TOOLS_DIR L"\\tvrctl.exe", _strArgs);
}

// Unpacks the bundle into a folder "unpacked" beside it; the listing names each file and size.
bool Unpack(const CInstallFolder& _folder, const std::wstring& _strCab, std::string* _pstrListing)
{
    CreateDirectoryW(_folder.Child(L"unpacked").c_str(), nullptr);
    return UnpackCabinet(_strCab, _folder.Child(L"unpacked"), _pstrListing);
}

bool Contains(const std::string& _strText, const std::string& _strPart)
{
    return _strText.find(_strPart) != std::string::npos;
}

// An install folder with tvrctl beside the program, and a host named TVRCONFIG.EXE, which
// keeps its LOG and CFG folders beside itself, so that the test's files are its own.
class TvrctlHostTest : public ::testing::Test
{
protected:
    TvrctlHostTest() : m_strLog(m_Folder.Child(L"calls.log")) {}
    void TearDown() override
    {
        if (m_Host.IsRunning())
        {
            PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
            DWORD dwExit = 0;
            if (!m_Host.WaitForExit(10000, &dwExit))
                m_Host.Kill();
        }
    }
    SToolResult Run(const std::wstring& _strArgs) const { return RunExe(m_Folder.Child(L"tvrctl.exe"), _strArgs); }
    void AddProbe(const std::wstring& _strCategory, const std::wstring& _strName)
    {
        ASSERT_TRUE(InstallProbe(m_Folder, _strCategory, _strName, m_strLog, ProbeWithId(7)));
    }
    void Store(const std::wstring& _strRelative, const std::string& _strContent)
    {
        CreateDirectoryW(m_Folder.Child(_strRelative.substr(0, _strRelative.find(L'\\'))).c_str(), nullptr);
        ASSERT_TRUE(m_Folder.WriteTextFile(_strRelative, _strContent));
    }
    // Starts the host; with a probe, waits for its after-load call (the start is then over).
    void StartHost(const std::string& _strProbe = "")
    {
        const std::wstring strExe = m_Folder.Child(L"TVRCONFIG.EXE");
        ASSERT_TRUE(CopyFileW(m_Folder.ExePath().c_str(), strExe.c_str(), FALSE));
        ASSERT_TRUE(m_Host.Start(strExe));
        m_hWnd = m_Host.WaitForWindow();
        ASSERT_NE(nullptr, m_hWnd);
        if (!_strProbe.empty())
        {
            ASSERT_TRUE(WaitForProbeCall(m_strLog, [&](const ProbeCall& _call) {
                return _call.strModule == _strProbe && _call.strCall == "AfterLoad";
            }, WAIT_MS));
        }
    }
    bool WaitForLevel(const std::string& _strLevel) const
    {
        return WaitForProbeCall(m_strLog, [&](const ProbeCall& _call) {
            return _call.strType == "26" && _call.Field("Level") == _strLevel;
        }, WAIT_MS);
    }
    // The level of the last bus message 26 the probe saw; empty when none.
    std::string LastLevel() const
    {
        std::string strLevel;
        for (const ProbeCall& call : ReadProbeLog(m_strLog))
            if (call.strType == "26")
                strLevel = call.Field("Level");
        return strLevel;
    }
    void PostTrace(const std::string& _strText) const
    {
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_TRACE, {{L"Level", L"0"}, {L"Text", Utf8ToWide(_strText)}, {L"Thread", L"1"}}), 0);
    }

    CInstallFolder m_Folder;
    CHostProcess m_Host;
    std::wstring m_strLog;
    HWND m_hWnd = nullptr;
};

} // namespace

TEST(Tvrctl, WithoutAHostEndsWithOneAndSaysSo)
{
    CInstallFolder folder;
    const struct
    {
        const wchar_t* pszArgs;
        const char* pszSays;
    } cases[] = {
        {L"close", "no running host found"},      {L"debuglevel 3", "no running host found"},
        {L"send 4 Text=x", "no running host found"}, {L"trace", "no running host found"},
        {L"trace --follow --level 4", "no running host found"}, {L"status", "Telvarin is not running."},
        {L"wait 1", ""},
    };
    for (const auto& test : cases)
    {
        SCOPED_TRACE(WideToUtf8(test.pszArgs));
        const SToolResult result = RunExe(folder.Child(L"tvrctl.exe"), test.pszArgs);
        ASSERT_TRUE(result.bRan);
        EXPECT_EQ(1u, result.dwExitCode);
        EXPECT_TRUE(Contains(result.strOutput, test.pszSays)) << result.strOutput;
    }
}

TEST(Tvrctl, BadUsageEndsWithTwoAndShowsTheUsage)
{
    for (const wchar_t* pszArgs : {L"", L"bogus", L"close now", L"debuglevel", L"debuglevel 5", L"wait", L"send",
                                   L"send NOSUCHTYPE", L"send 4 novalue", L"send 4 =x", L"trace --level 4",
                                   L"trace --follow --level", L"trace --follow --level 9", L"status now", L"modules x",
                                   L"collect a.cab b.cab"})
    {
        SCOPED_TRACE(WideToUtf8(pszArgs));
        const SToolResult result = RunTvrctl(pszArgs);
        ASSERT_TRUE(result.bRan);
        EXPECT_EQ(2u, result.dwExitCode);
        EXPECT_TRUE(Contains(result.strOutput, "usage: tvrctl")) << result.strOutput;
    }
}

TEST(Tvrctl, HelpListsEveryCommandAndTheExitCodes)
{
    const SToolResult result = RunTvrctl(L"--help");
    ASSERT_TRUE(result.bRan);
    EXPECT_EQ(0u, result.dwExitCode);
    for (const char* pszPart : {"status", "modules", "send TYPE", "trace [--follow] [--level N]", "collect [FILE]", "debuglevel N",
                                "close", "wait SECONDS", "Exit codes", "  4  failed"})
        EXPECT_TRUE(Contains(result.strOutput, pszPart)) << pszPart;
}

TEST(Tvrctl, WithAHostWaitsSetsTheLevelAndClosesIt)
{
    CInstallFolder folder;
    CHostProcess host;
    ASSERT_TRUE(host.Start(folder.ExePath()));
    EXPECT_EQ(0u, RunTvrctl(L"wait 30").dwExitCode);
    ASSERT_NE(nullptr, host.WaitForWindow());
    EXPECT_EQ(0u, RunTvrctl(L"debuglevel 2").dwExitCode);
    const SToolResult result = RunTvrctl(L"close");
    EXPECT_EQ(0u, result.dwExitCode);
    EXPECT_TRUE(result.strOutput.empty()) << result.strOutput;
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(host.WaitForExit(15000, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}

// Running and "OK" gives 0; a plug-in's error state (given through "send") gives 3.
TEST_F(TvrctlHostTest, StatusSaysWhetherTheHostRunsAndIsOk)
{
    StartHost();
    SToolResult result = {};
    ASSERT_TRUE(WaitUntil([&]() { return (result = Run(L"status")).dwExitCode == 0; }, WAIT_MS)) << result.strOutput;
    EXPECT_TRUE(Contains(result.strOutput, "Telvarin is running: process " + std::to_string(m_Host.Pid()) + ", tray mode."))
        << result.strOutput;
    EXPECT_TRUE(Contains(result.strOutput, "Status:      OK")) << result.strOutput;
    ASSERT_EQ(0u, Run(L"send STATUS State=3 Sender=Test Text=broken Instance=1 --sync").dwExitCode);
    result = Run(L"status");
    EXPECT_EQ(3u, result.dwExitCode);
    EXPECT_TRUE(Contains(result.strOutput, "Status:      ERROR")) << result.strOutput;
}

TEST_F(TvrctlHostTest, ModulesListsEveryPluginFileAndWhetherTheHostLoadedIt)
{
    AddProbe(L"PluginSearch", L"PluginSearchP.DLL");
    ASSERT_TRUE(m_Folder.AddPlugin(L"PluginSave", PROBE_BUILT_NAME, L"PluginBackup.dll_old"));
    StartHost("PluginSearchP");
    ASSERT_TRUE(m_Folder.AddPlugin(L"PluginSave", PROBE_BUILT_NAME, L"PluginLate.DLL"));
    const SToolResult result = Run(L"modules");
    EXPECT_EQ(0u, result.dwExitCode);
    const struct
    {
        const char* pszRowStart;
        const char* pszLoaded;
    } rows[] = {{"PluginDebug      PluginDebugLog.dll", " yes"}, {"PluginSearch     PluginSearchP.DLL", " yes"},
                {"PluginSave       PluginLate.DLL", " no"}};
    for (const auto& row : rows)
    {
        const size_t nRow = result.strOutput.find(row.pszRowStart);
        ASSERT_NE(std::string::npos, nRow) << row.pszRowStart << "\n" << result.strOutput;
        const std::string strRow = result.strOutput.substr(nRow, result.strOutput.find('\n', nRow) - nRow);
        EXPECT_EQ(strRow.size() - strlen(row.pszLoaded), strRow.rfind(row.pszLoaded)) << strRow;
    }
    EXPECT_FALSE(Contains(result.strOutput, "dll_old")) << result.strOutput;
}

// With --sync the host has handled the message when tvrctl returns: the plug-in has it.
TEST_F(TvrctlHostTest, SendSyncHandsTheFieldsToThePluginsBeforeItReturns)
{
    AddProbe(L"PluginSearch", L"PluginSearchP.DLL");
    StartHost("PluginSearchP");
    const SToolResult result = Run(L"send 9999 Key=value \"Other=two words\" --sync");
    ASSERT_EQ(0u, result.dwExitCode) << result.strOutput;
    EXPECT_TRUE(Contains(result.strOutput, "handled by the host")) << result.strOutput;
    bool bSeen = false;
    for (const ProbeCall& call : ReadProbeLog(m_strLog))
        bSeen = bSeen || (call.strType == "9999" && call.Field("Key") == "value" && call.Field("Other") == "two words");
    EXPECT_TRUE(bSeen);
}

// --level raises the level while following and puts back the level chosen on the trace-file
// page when the reader of its output goes.
TEST_F(TvrctlHostTest, TraceFollowShowsNewLinesAtARaisedLevelAndPutsTheLevelBack)
{
    Store(L"CFG\\PluginDebugLog.ini", "[TraceFile]\r\nLevel=2\r\n");
    AddProbe(L"PluginSearch", L"PluginSearchP.DLL");
    StartHost("PluginSearchP");
    ASSERT_TRUE(WaitForLevel("2"));
    CToolProcess follower;
    ASSERT_TRUE(follower.Start(CommandLine(m_Folder.Child(L"tvrctl.exe"), L"trace --follow --level 4")));
    // Read meanwhile: the day's lines so far fill the pipe.
    ASSERT_TRUE(follower.ReadUntil("trace level 4 while following; level 2 again afterwards", WAIT_MS)) << follower.Output();
    ASSERT_TRUE(WaitForLevel("4"));
    const std::string strMarker = "Func.Test.Info.follow " + std::to_string(GetTickCount64());
    PostTrace(strMarker);
    EXPECT_TRUE(follower.ReadUntil(strMarker + "\r\n", WAIT_MS)) << follower.Output();
    EXPECT_EQ("4", LastLevel());
    // A reader that stops (as "| head" does) ends the follower at its next line.
    follower.CloseOutput();
    PostTrace(strMarker + " again");
    DWORD dwExit = 1234;
    ASSERT_TRUE(follower.WaitForExit(WAIT_MS, &dwExit));
    EXPECT_EQ(0u, dwExit);
    EXPECT_EQ("2", LastLevel());
}

namespace {

// A file of the given size with the given last-write time (days before now).
void WriteDump(const std::wstring& _strPath, size_t _cbSize, int _iDaysAgo)
{
    const HANDLE hFile = CreateFileW(_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
    const std::string strBytes(_cbSize, 'D');
    DWORD dwWritten = 0;
    WriteFile(hFile, strBytes.data(), static_cast<DWORD>(strBytes.size()), &dwWritten, nullptr);
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER ul;
    ul.LowPart = ft.dwLowDateTime;
    ul.HighPart = ft.dwHighDateTime;
    ul.QuadPart -= static_cast<ULONGLONG>(_iDaysAgo) * 864000000000ULL;
    ft.dwLowDateTime = ul.LowPart;
    ft.dwHighDateTime = ul.HighPart;
    SetFileTime(hFile, nullptr, nullptr, &ft);
    CloseHandle(hFile);
}

} // namespace

// The bundle holds the files support staff ask for, the newest dump of each kind, and the
// texts tvrctl writes; the summary names each.
TEST_F(TvrctlHostTest, CollectPacksTheSupportFilesIntoACabinetAndSaysWhatWentIn)
{
    Store(L"CFG\\PluginDebugLog.ini", "[TraceFile]\r\nKeepDays=14\r\n");
    Store(L"LOG\\" + DailyTraceFileName(-1), "yesterday\r\n");
    Store(L"LOG\\ErrorLog.txt", "Func.X.Error.y\r\n");
    WriteDump(m_Folder.Child(L"TVRCONFIG._CRASHDUMP_20260101_000000.DMP"), 1000, 3);
    WriteDump(m_Folder.Child(L"TVRCONFIG._CRASHDUMP_20260102_000000.DMP"), 2000, 2);
    WriteDump(m_Folder.Child(L"LOG\\TVRCONFIG._HANGDUMP_20260103_000000.DMP"), 3000, 1);
    StartHost();
    ASSERT_TRUE(WaitUntil([&]() { return Run(L"status").dwExitCode == 0; }, WAIT_MS));
    const std::wstring strCab = m_Folder.Child(L"bundle.cab");
    const SToolResult result = Run(L"collect \"" + strCab + L"\"");
    ASSERT_EQ(0u, result.dwExitCode) << result.strOutput;
    std::string strListing;
    ASSERT_TRUE(Unpack(m_Folder, strCab, &strListing));
    for (const std::string& strEntry : {std::string("log\\StatusReport.ini "), std::string("log\\ErrorLog.txt 16\n"),
                                        "log\\" + WideToUtf8(DailyTraceFileName(0)) + " ", "log\\" + WideToUtf8(DailyTraceFileName(-1)) + " 11\n",
                                        std::string("dumps\\TVRCONFIG._CRASHDUMP_20260102_000000.DMP 2000\n"),
                                        std::string("dumps\\TVRCONFIG._HANGDUMP_20260103_000000.DMP 3000\n"),
                                        std::string("config\\PluginDebugLog.ini "), std::string("Status.txt "),
                                        std::string("Modules.txt "), std::string("Versions.txt ")})
    {
        EXPECT_TRUE(Contains(strListing, strEntry)) << strEntry << "\n" << strListing;
        EXPECT_TRUE(Contains(result.strOutput, strEntry.substr(0, strEntry.find(' ')))) << strEntry << "\n" << result.strOutput;
    }
    EXPECT_FALSE(Contains(strListing, "20260101")) << "only the newest crash dump";
    EXPECT_EQ(std::string(2000, 'D'), ReadFileBytes(m_Folder.Child(L"unpacked\\dumps_TVRCONFIG._CRASHDUMP_20260102_000000.DMP")));
    EXPECT_EQ("Func.X.Error.y\r\n", ReadFileBytes(m_Folder.Child(L"unpacked\\log_ErrorLog.txt")));
    EXPECT_TRUE(Contains(ReadFileBytes(m_Folder.Child(L"unpacked\\Status.txt")),
                         "Telvarin is running: process " + std::to_string(m_Host.Pid())));
    EXPECT_TRUE(Contains(result.strOutput, "Support bundle " + WideToUtf8(strCab))) << result.strOutput;
}

// Without a host the bundle still holds what is on disk and says that the host was not running.
TEST(Tvrctl, CollectWithoutAHostStillWritesTheBundle)
{
    CInstallFolder folder;
    const std::wstring strCab = folder.Child(L"bundle.cab");
    const SToolResult result = RunExe(folder.Child(L"tvrctl.exe"), L"collect \"" + strCab + L"\"");
    ASSERT_EQ(0u, result.dwExitCode) << result.strOutput;
    std::string strListing;
    ASSERT_TRUE(Unpack(folder, strCab, &strListing));
    for (const char* pszEntry : {"Status.txt ", "Modules.txt ", "Versions.txt "})
        EXPECT_TRUE(Contains(strListing, pszEntry)) << pszEntry << "\n" << strListing;
    EXPECT_TRUE(Contains(ReadFileBytes(folder.Child(L"unpacked\\Status.txt")), "Telvarin is not running."));
    EXPECT_TRUE(Contains(result.strOutput, "Support bundle")) << result.strOutput;
}

// A dump beside the program that belongs to another account stays out of the bundle.
TEST_F(TvrctlHostTest, CollectLeavesOutFilesOfOtherAccounts)
{
    const std::wstring strOthers = m_Folder.Child(L"TVRCONFIG._CRASHDUMP_20260105_000000.DMP");
    WriteDump(m_Folder.Child(L"TVRCONFIG._CRASHDUMP_20260104_000000.DMP"), 100, 2);
    WriteDump(strOthers, 200, 1);
    PSID pOther = nullptr;
    ASSERT_TRUE(ConvertStringSidToSidW(L"S-1-5-21-1004336348-1177238915-682003330-1099", &pOther));
    const DWORD dwSet = SetNamedSecurityInfoW(const_cast<wchar_t*>(strOthers.c_str()), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION,
                                              pOther, nullptr, nullptr, nullptr);
    PSID pOwner = nullptr;
    PSECURITY_DESCRIPTOR pDescriptor = nullptr;
    const bool bKept = dwSet == ERROR_SUCCESS &&
                       GetNamedSecurityInfoW(strOthers.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &pOwner, nullptr, nullptr,
                                             nullptr, &pDescriptor) == ERROR_SUCCESS && EqualSid(pOwner, pOther);
    LocalFree(pDescriptor);
    LocalFree(pOther);
    if (!bKept)
        GTEST_SKIP() << "this file system keeps no owner of another account (Wine keeps owners only where it can store them)";
    StartHost();
    const std::wstring strCab = m_Folder.Child(L"bundle.cab");
    const SToolResult result = Run(L"collect \"" + strCab + L"\"");
    ASSERT_EQ(0u, result.dwExitCode) << result.strOutput;
    std::string strListing;
    ASSERT_TRUE(Unpack(m_Folder, strCab, &strListing));
    EXPECT_TRUE(Contains(strListing, "_CRASHDUMP_20260104_000000.DMP")) << strListing;
    EXPECT_FALSE(Contains(strListing, "_CRASHDUMP_20260105_000000.DMP")) << strListing;
    EXPECT_TRUE(Contains(result.strOutput, "Left out: 1 file(s) of other accounts.")) << result.strOutput;
}
