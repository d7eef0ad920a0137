// tvrctl run as a user would run it: its exit codes and its error text on stderr, with and
// without a running host.
#include <gtest/gtest.h>

#include <windows.h>
#include <string>

#include "HostHarness.h"

using namespace tvr;

namespace {

struct ToolResult
{
    bool bRan;
    DWORD dwExitCode;
    std::string strStderr;
};

// Starts tools\tvrctl.exe with the arguments, waits for its end and collects its stderr.
ToolResult RunTvrctl(const std::wstring& _strArgs)
{
    ToolResult result = {false, 1234, ""};
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inherit, 0))
        return result;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = hWrite;
    startup.hStdOutput = hWrite;
    std::wstring strCommand = L"\"" TVR_TOOLS_DIR L"\\tvrctl.exe\" " + _strArgs;
    PROCESS_INFORMATION process = {};
    result.bRan = CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(hWrite);
    if (result.bRan)
    {
        // Read after the end, not until the pipe closes: a desktop process that Wine starts
        // for the tool's first window call inherits the pipe and keeps it open.
        result.bRan = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0 &&
                      GetExitCodeProcess(process.hProcess, &result.dwExitCode);
        char achBuffer[512];
        DWORD cbAvailable = 0;
        DWORD cbRead = 0;
        while (PeekNamedPipe(hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) && cbAvailable > 0 &&
               ReadFile(hRead, achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
            result.strStderr.append(achBuffer, cbRead);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(hRead);
    return result;
}

bool Contains(const std::string& _strText, const char* _pszPart)
{
    return _strText.find(_pszPart) != std::string::npos;
}

} // namespace

// The tests of this program run alone: no other host runs meanwhile.
TEST(Tvrctl, WithoutAHostEndsWithOneAndSaysSo)
{
    for (const wchar_t* pszArgs : {L"close", L"debuglevel 3", L"wait 1"})
    {
        SCOPED_TRACE(WideToUtf8(pszArgs));
        const ToolResult result = RunTvrctl(pszArgs);
        ASSERT_TRUE(result.bRan);
        EXPECT_EQ(1u, result.dwExitCode);
        if (std::wstring(pszArgs) != L"wait 1")
        {
            EXPECT_TRUE(Contains(result.strStderr, "no running host found")) << result.strStderr;
        }
    }
}

TEST(Tvrctl, BadUsageEndsWithTwoAndShowsTheUsage)
{
    for (const wchar_t* pszArgs : {L"", L"bogus", L"close now", L"debuglevel", L"wait"})
    {
        SCOPED_TRACE(WideToUtf8(pszArgs));
        const ToolResult result = RunTvrctl(pszArgs);
        ASSERT_TRUE(result.bRan);
        EXPECT_EQ(2u, result.dwExitCode);
        EXPECT_TRUE(Contains(result.strStderr, "usage: tvrctl")) << result.strStderr;
    }
}

TEST(Tvrctl, WithAHostWaitsSetsTheLevelAndClosesIt)
{
    CInstallFolder folder;
    CHostProcess host;
    ASSERT_TRUE(host.Start(folder.ExePath()));
    EXPECT_EQ(0u, RunTvrctl(L"wait 30").dwExitCode);
    ASSERT_NE(nullptr, host.WaitForWindow());
    EXPECT_EQ(0u, RunTvrctl(L"debuglevel 2").dwExitCode);
    const ToolResult result = RunTvrctl(L"close");
    EXPECT_EQ(0u, result.dwExitCode);
    EXPECT_TRUE(result.strStderr.empty()) << result.strStderr;
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(host.WaitForExit(15000, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}
