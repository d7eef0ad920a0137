// The conformance checker run as an author runs it: it passes the project's own plug-ins and
// fails each deliberately faulty plug-in with the check that names its fault.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "HostHarness.h"
#include "ToolRun.h"

namespace {

struct SCheckRun
{
    tvr::SToolResult tool;
    std::set<std::string> setFailed;   // names of the checks with the result "fail"
};

// Runs the checker with --json and collects the failed checks' names.
SCheckRun RunChecker(const std::wstring& _strPlugin, const std::wstring& _strMore = L"")
{
    SCheckRun run;
    run.tool = tvr::RunTool(L"\"" TVR_SDK_BIN_DIR L"\\tvrplugcheck.exe\" --json \"" + _strPlugin + L"\" " + _strMore, 120000);
    const std::string& strOut = run.tool.strOutput;
    const std::string strName = "{\"name\": \"";
    for (size_t i = strOut.find(strName); i != std::string::npos; i = strOut.find(strName, i + 1))
    {
        const size_t cbStart = i + strName.size();
        const std::string strCheck = strOut.substr(cbStart, strOut.find('"', cbStart) - cbStart);
        static const std::string s_strFail = ", \"result\": \"fail\"";
        if (strOut.compare(strOut.find('"', cbStart) + 1, s_strFail.size(), s_strFail) == 0)
            run.setFailed.insert(strCheck);
    }
    return run;
}

struct SFaultyPlugin
{
    const wchar_t* pszFile;
    const char* pszFailedCheck;
};

const wchar_t* const PASSING_PLUGINS[] = {
    TVR_DIST_DIR L"\\PluginDebug\\PluginDebugLog.dll",
    TVR_TEST_PLUGINS_DIR L"\\PluginExample.dll",
    TVR_TEST_PLUGINS_DIR L"\\PluginSettingsPage.dll",
    TVR_TEST_PLUGINS_DIR L"\\PluginFilterProbe.dll",
};

const SFaultyPlugin FAULTY_PLUGINS[] = {
    {L"PluginFaultyMissingExport.dll", "exports"},
    {L"PluginFaultyBusFault.dll", "bus.types"},
    {L"PluginFaultyAfterLoadHang.dll", "afterload"},
    {L"PluginFaultyPostedScheme.dll", "sends.messages"},
    {L"PluginFaultyLeak.dll", "resources"},
    {L"PluginFaultyMalformedRecord.dll", "sends.records"},
    {L"PluginFaultyPageNotChild.dll", "settings"},
};

// Test names: the plug-in's file name without ".dll".
std::string BaseName(const std::wstring& _strPath)
{
    const std::wstring strName = _strPath.substr(_strPath.find_last_of(L'\\') + 1);
    return std::string(strName.begin(), strName.end() - 4);
}

class PlugCheckPasses : public ::testing::TestWithParam<const wchar_t*> {};
class PlugCheckFails : public ::testing::TestWithParam<SFaultyPlugin> {};

} // namespace

TEST_P(PlugCheckPasses, TheProjectsPlugIn)
{
    const SCheckRun run = RunChecker(GetParam());
    ASSERT_TRUE(run.tool.bRan);
    EXPECT_EQ(0u, run.tool.dwExitCode) << run.tool.strOutput;
    EXPECT_TRUE(run.setFailed.empty()) << run.tool.strOutput;
    EXPECT_NE(std::string::npos, run.tool.strOutput.find("\"result\": \"passed\"")) << run.tool.strOutput;
}
INSTANTIATE_TEST_SUITE_P(Project, PlugCheckPasses, ::testing::ValuesIn(PASSING_PLUGINS),
                         [](const ::testing::TestParamInfo<const wchar_t*>& _info) { return BaseName(_info.param); });

// Exactly the check of the fault fails: the others hold, so the report points at the fault.
TEST_P(PlugCheckFails, WithTheCheckOfItsFault)
{
    const SCheckRun run = RunChecker(std::wstring(TVR_TEST_PLUGINS_DIR L"\\faulty\\") + GetParam().pszFile);
    ASSERT_TRUE(run.tool.bRan);
    EXPECT_EQ(1u, run.tool.dwExitCode) << run.tool.strOutput;
    EXPECT_EQ(std::set<std::string>{GetParam().pszFailedCheck}, run.setFailed) << run.tool.strOutput;
}
INSTANTIATE_TEST_SUITE_P(Faulty, PlugCheckFails, ::testing::ValuesIn(FAULTY_PLUGINS),
                         [](const ::testing::TestParamInfo<SFaultyPlugin>& _info) { return BaseName(_info.param.pszFile); });

// A plug-in ID that another plug-in has already.
TEST(PlugCheck, FailsAnIdThatAnotherPlugInHas)
{
    const std::wstring strExample = TVR_TEST_PLUGINS_DIR L"\\PluginExample.dll";
    const SCheckRun run = RunChecker(strExample, L"--with \"" + strExample + L"\"");
    ASSERT_TRUE(run.tool.bRan);
    EXPECT_EQ(1u, run.tool.dwExitCode);
    EXPECT_EQ(std::set<std::string>{"pluginid"}, run.setFailed) << run.tool.strOutput;
}

// 32-bit files are read without loading them (this machine cannot run 32-bit code): the
// __cdecl bus entry point fails the convention check, while the example built for i686 from
// the SDK package passes it. On x86_64 there is one calling convention, so only the 32-bit
// file can show it. Both fail "file" here, as a 64-bit checker cannot load them.
TEST(PlugCheck, ReadsTheCallingConventionOf32BitFiles)
{
    const SCheckRun faulty = RunChecker(TVR_TEST_PLUGINS_DIR L"\\faulty\\i686\\PluginFaultyConvention.dll");
    ASSERT_TRUE(faulty.tool.bRan);
    EXPECT_EQ(1u, faulty.tool.dwExitCode);
    EXPECT_EQ((std::set<std::string>{"exports.convention", "file"}), faulty.setFailed) << faulty.tool.strOutput;
    EXPECT_NE(std::string::npos, faulty.tool.strOutput.find("ret 0")) << faulty.tool.strOutput;

    const SCheckRun example = RunChecker(TVR_SDK_EXAMPLE_DIR L"\\i686\\PluginExample.dll");
    ASSERT_TRUE(example.tool.bRan);
    EXPECT_EQ(std::set<std::string>{"file"}, example.setFailed) << example.tool.strOutput;
}
