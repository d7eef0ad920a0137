// The example plug-in of docs/plugins.md in the real host, as the project builds it and as an
// author builds it from the SDK package alone: its trace record, written with the SDK's
// record writer and posted to the window the SDK found, reaches the plug-ins after it as the
// host's own trace lines do.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HostHarness.h"
#include "ProbeLog.h"
#include "TelvarinPlugin.h"

namespace {

const char EXAMPLE_TEXT[] = "EXAMPLE.Event.QEL_BUSMSG_TRAYCLICK.Info.Tray icon clicked";

std::vector<std::string> KeysOf(const tvr::ProbeCall& _call)
{
    std::vector<std::string> vecKeys;
    for (const auto& field : _call.vecFields)
        vecKeys.push_back(field.first);
    return vecKeys;
}

// The DLL, relative to the test plug-in folder.
class SdkExample : public ::testing::TestWithParam<const wchar_t*> {};

} // namespace

TEST_P(SdkExample, PostsATraceRecordThatTheHostHandsToThePlugIns)
{
    tvr::CInstallFolder folder;
    const std::wstring strLog = folder.Child(L"calls.log");
    ASSERT_TRUE(folder.AddPlugin(L"PluginExtra", GetParam(), L"PluginExample.dll"));
    ASSERT_TRUE(tvr::InstallProbe(folder, L"PluginTelephony", L"PluginTelephonyP.DLL", strLog, {}));
    tvr::CHostProcess host;
    ASSERT_TRUE(host.Start(folder.ExePath(), L"", {{L"QelConfig", L"1"}}));
    const HWND hWnd = host.WaitForWindow();
    ASSERT_NE(nullptr, hWnd);
    ASSERT_TRUE(tvr::WaitForProbeCall(strLog, [](const tvr::ProbeCall& _call) {
        return _call.strModule == "PluginTelephonyP" && _call.strCall == "AfterLoad";
    }, 20000));

    tvr::SendRecordText(hWnd, tvr::MakeRecord(QEL_BUSMSG_TRAYCLICK), 0);
    ASSERT_TRUE(tvr::WaitForProbeCall(strLog, [](const tvr::ProbeCall& _call) {
        return _call.strType == "4" && _call.Field("Text") == EXAMPLE_TEXT;
    }, 5000));

    // One record, in the order the writer was given its fields, with the host's main thread:
    // the thread of the host's own trace lines and of every plug-in call.
    std::vector<tvr::ProbeCall> vecExample;
    std::string strHostThread;
    for (const tvr::ProbeCall& call : tvr::ReadProbeLog(strLog))
    {
        if (call.strType != "4")
            continue;
        if (call.Field("Text") == EXAMPLE_TEXT)
            vecExample.push_back(call);
        else if (call.Field("Text").find("Func.PrintFileInfos.Begin") != std::string::npos)
            strHostThread = call.Field("Thread");
    }
    ASSERT_EQ(1u, vecExample.size());
    EXPECT_EQ((std::vector<std::string>{"Type", "Level", "Text", "Thread", "Sender"}), KeysOf(vecExample[0]));
    EXPECT_EQ("0", vecExample[0].Field("Level"));
    EXPECT_EQ("Unknown", vecExample[0].Field("Sender"));
    ASSERT_FALSE(strHostThread.empty());
    EXPECT_EQ(strHostThread, vecExample[0].Field("Thread"));

    PostMessageW(hWnd, WM_CLOSE, 0, 0);
    DWORD dwExit = 0;
    EXPECT_TRUE(host.WaitForExit(10000, &dwExit));
}
INSTANTIATE_TEST_SUITE_P(Built, SdkExample, ::testing::Values(L"PluginExample.dll", TVR_SDK_EXAMPLE_FROM_PACKAGE),
                         [](const ::testing::TestParamInfo<const wchar_t*>& _info) {
                             return std::string(_info.index == 0 ? "InTheProject" : "FromThePackage");
                         });
