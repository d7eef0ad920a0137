#include <gtest/gtest.h>

#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "VersionResourceBuilder.h"
#include "base/ProgramPath.h"
#include "bus/PluginCall.h"
#include "bus/PluginStopMarks.h"
#include "config/RegIniAccess.h"
#include "Wait.h"

namespace {

// The process-wide store in a temporary folder, and a plug-in file of a chosen version there.
class PluginStopMarks : public testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"QelConfig", L"1");
        g_RegIniAccess.InitForFiles(1, m_folder.Child(L"Stops.dll").c_str(), m_folder.Child(L"Stops.exe").c_str());
        SetEnvironmentVariableW(L"QelConfig", nullptr);
    }
    // The plug-in file with file version 1.<minor>.0.0, replacing the one before.
    const wchar_t* Plugin(WORD _wMinor)
    {
        const WORD awVersion[4] = {1, _wMinor, 0, 0};
        EXPECT_TRUE(tvr::MakeVersionedModule(m_strPlugin, awVersion, awVersion, {}));
        return m_strPlugin.c_str();
    }

    tvr::CTempFolder m_folder{tvr::ProgramFolder() + L"\\" + tvr::UniqueName(L"Stops")};   // plug-ins lie below the program
    std::wstring m_strPlugin = m_folder.Child(L"PluginX.DLL");
};

} // namespace

TEST_F(PluginStopMarks, OnlyTheSamePluginAtTheEndOfTwoRunsInARowIsStopped)
{
    const wchar_t* pszPlugin = Plugin(1);
    EXPECT_FALSE(NoteRunEndPlugin(pszPlugin));   // one run's end alone
    EXPECT_FALSE(NoteRunEndPlugin(L""));         // a run that ended in no plug-in breaks the row
    EXPECT_FALSE(NoteRunEndPlugin(pszPlugin));
    EXPECT_FALSE(IsPluginStopped(pszPlugin));
    EXPECT_TRUE(NoteRunEndPlugin(pszPlugin));
    EXPECT_TRUE(IsPluginStopped(pszPlugin));
    // Switched on again, it gets a new count: one more end alone does not stop it.
    ClearPluginStop(pszPlugin);
    EXPECT_FALSE(IsPluginStopped(pszPlugin));
    EXPECT_FALSE(NoteRunEndPlugin(pszPlugin));
    EXPECT_FALSE(IsPluginStopped(pszPlugin));
    // A record naming a file elsewhere names no plug-in.
    const wchar_t* const pszElsewhere = L"\\\\server\\share\\PluginX.DLL";
    EXPECT_FALSE(NoteRunEndPlugin(pszElsewhere));
    EXPECT_FALSE(NoteRunEndPlugin(pszElsewhere));
    EXPECT_FALSE(IsPluginStopped(pszElsewhere));
}

TEST_F(PluginStopMarks, MarkSurvivesAnUpdateOfTheFileOnlyInTheSameVersion)
{
    StopPlugin(Plugin(1));
    EXPECT_TRUE(IsPluginStopped(Plugin(1)));
    EXPECT_FALSE(IsPluginStopped(Plugin(2)));   // a new version gets a new chance
    EXPECT_FALSE(IsPluginStopped(Plugin(1)));   // and the old mark is gone
    // A new version of the plug-in named at the end of the run before is another plug-in.
    EXPECT_FALSE(NoteRunEndPlugin(Plugin(1)));
    EXPECT_FALSE(NoteRunEndPlugin(Plugin(2)));
    EXPECT_FALSE(IsPluginStopped(Plugin(2)));
}

TEST(PluginStopKey, IsThePathBelowTheProgramFolder)
{
    const std::wstring strBelow = GetProgramFolder() + L"PluginExtra\\PluginA.DLL";
    EXPECT_EQ(L"PluginExtra\\PluginA.DLL", PluginStopKey(strBelow.c_str()));
    EXPECT_EQ(L"D:\\Other\\PluginA.DLL", PluginStopKey(L"D:\\Other\\PluginA.DLL"));
}

TEST(WatchedPluginCall, IsReportedOnceAndNamesItsBusType)
{
    WatchPluginCallsOfThisThread();
    SWatchedCall watched = {};
    wchar_t szFile[512];
    const auto TakeOverdueCall = [&](DWORD _dwLimitMs, SWatchedCall* _pOut) {
        return ::TakeOverdueCall(_dwLimitMs, _pOut, szFile, ARRAYSIZE(szFile));
    };
    EXPECT_FALSE(TakeOverdueCall(1, &watched));   // no call runs
    EXPECT_EQ(INFINITE, MsUntilOverdue(1));
    const HMODULE hModule = GetModuleHandleW(L"kernel32.dll");
    {
        CPluginCallScope call(hModule, "DLL_PluginBusProcess", 203);
        EXPECT_EQ(INFINITE, MsUntilOverdue(0));   // limit 0: the watch is off
        EXPECT_FALSE(TakeOverdueCall(0, &watched));
        EXPECT_LE(MsUntilOverdue(60000), 60000u);
        ASSERT_TRUE(tvr::WaitUntil([&] { return TakeOverdueCall(1, &watched); }, 5000));
        EXPECT_FALSE(TakeOverdueCall(1, &watched));   // once per call
        EXPECT_EQ(INFINITE, MsUntilOverdue(1));
        wchar_t szCall[640];
        ASSERT_TRUE(DescribePluginCall(watched.call, szCall, ARRAYSIZE(szCall)));
        const std::wstring strCall = szCall;
        EXPECT_EQ(L" DLL_PluginBusProcess type 203", strCall.substr(strCall.find(L' ')));
    }
    EXPECT_FALSE(TakeOverdueCall(1, &watched));
    {
        CPluginCallScope call(hModule, "DLL_PluginAfterLoad");
        ASSERT_TRUE(tvr::WaitUntil([&] { return TakeOverdueCall(1, &watched); }, 5000));
        wchar_t szCall[640];
        ASSERT_TRUE(DescribePluginCall(watched.call, szCall, ARRAYSIZE(szCall)));
        EXPECT_EQ(nullptr, wcsstr(szCall, L" type "));
    }
}

TEST(WatchedPluginCall, LoadIsNamedByTheFileItCarriesWithoutAModule)
{
    WatchPluginCallsOfThisThread();
    SWatchedCall watched = {};
    wchar_t szFile[512] = L"";
    wchar_t szPath[] = L"C:\\Plugins\\PluginLoad.DLL";
    {
        CPluginCallScope load(szPath);
        ASSERT_TRUE(tvr::WaitUntil([&] { return TakeOverdueCall(1, &watched, szFile, ARRAYSIZE(szFile)); }, 5000));
        wchar_t szCall[640];
        ASSERT_TRUE(DescribePluginCall(CurrentPluginCall(), szCall, ARRAYSIZE(szCall)));
        EXPECT_STREQ(L"C:\\Plugins\\PluginLoad.DLL LoadLibrary", szCall);
        szPath[0] = L'D';   // the taken file is a copy
    }
    EXPECT_EQ(nullptr, watched.call.hModule);
    EXPECT_STREQ(L"C:\\Plugins\\PluginLoad.DLL", szFile);
    wchar_t szCall[640];
    DescribePluginCallOfFile(watched.call, szFile, szCall, ARRAYSIZE(szCall));
    EXPECT_STREQ(L"C:\\Plugins\\PluginLoad.DLL LoadLibrary", szCall);
    EXPECT_FALSE(DescribePluginCall(CurrentPluginCall(), szCall, ARRAYSIZE(szCall)));
}
