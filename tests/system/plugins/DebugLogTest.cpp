#include "PluginHostFixture.h"

#include "TelvarinPlugin.h"

namespace {

std::wstring TodaysTraceFile()
{
    SYSTEMTIME st;
    GetSystemTime(&st);
    wchar_t szName[64];
    wsprintfW(szName, L"\\Trace_%04u-%02u-%02u.log", st.wYear, st.wMonth, st.wDay);
    return tvr::UserDataFolder(L"LOG") + szName;
}

} // namespace

// The distribution folder's trace-file plug-in writes each trace line as it arrives.
TEST_F(PluginHostTest, TraceFilePluginWritesEveryTraceLineToTheDaysFile)
{
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");
    const std::string strMarker = "Func.Test.Info.marker " + std::to_string(GetTickCount64()) + " \xC3\xA9";
    PostRecord(QEL_BUSMSG_TRACE, {{L"Level", L"0"}, {L"Text", tvr::Utf8ToWide(strMarker)}, {L"Thread", L"1"}});
    PostRecord(QEL_BUSMSG_CALLEVENT, {{L"Text", L"not a trace line " + tvr::Utf8ToWide(strMarker)}});
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", QEL_BUSMSG_CALLEVENT));

    // Written before the host has even closed: the file is shared while it grows.
    const std::string strFile = tvr::ReadFileBytes(TodaysTraceFile());
    EXPECT_NE(strFile.find(strMarker + "\r\n"), std::string::npos);
    EXPECT_EQ(strFile.find("not a trace line " + strMarker), std::string::npos);
}
