#include "PluginHostFixture.h"

#include "TelvarinPlugin.h"

// The SDK's example loads like any plug-in and answers a tray click with a trace line.
TEST_F(PluginHostTest, ExamplePluginAnswersATrayClickWithATraceLine)
{
    ASSERT_TRUE(m_Folder.AddPlugin(L"PluginExtra", L"PluginExample.dll", L"PluginExample.dll"));
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");
    PostRecord(QEL_BUSMSG_TRAYCLICK);
    EXPECT_TRUE(tvr::WaitForProbeCall(m_strLog, [](const tvr::ProbeCall& _call) {
        return _call.strType == "4" && _call.Field("Text") == "EXAMPLE.Event.QEL_BUSMSG_TRAYCLICK.Info.Tray icon clicked";
    }, 5000));
}
