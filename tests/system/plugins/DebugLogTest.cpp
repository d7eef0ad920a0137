#include "PluginHostFixture.h"

#include "TelvarinPlugin.h"
#include "TestFiles.h"

#include <vector>

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

namespace {

// The trace-file plug-in of a host named TVRCONFIG.EXE, which keeps its LOG and CFG folders
// beside itself: the test's files are its own, not those of every host of the user.
class TraceFilePluginTest : public PluginHostTest
{
protected:
    TraceFilePluginTest()
    {
        m_strExe = m_Folder.Child(L"TVRCONFIG.EXE");
        CopyFileW(m_Folder.ExePath().c_str(), m_strExe.c_str(), FALSE);
        CreateDirectoryW(m_Folder.Child(L"LOG").c_str(), nullptr);
        CreateDirectoryW(m_Folder.Child(L"CFG").c_str(), nullptr);
    }
    // The host's store for the plug-in: beside it, as the host runs with QelConfig=1.
    std::wstring StoreFile() const { return m_Folder.Child(L"PluginDebug\\PluginDebugLog.INI"); }
    // Where earlier versions of the plug-in kept its settings.
    std::wstring OldFile() const { return m_Folder.Child(L"CFG\\PluginDebugLog.ini"); }
    void StoreSetting(const wchar_t* _pszKey, const wchar_t* _pszValue, bool _bOldFile = false) const
    {
        ASSERT_TRUE(WritePrivateProfileStringW(L"TraceFile", _pszKey, _pszValue, (_bOldFile ? OldFile() : StoreFile()).c_str()));
    }
    bool Exists(const std::wstring& _strName) const
    {
        return GetFileAttributesW(m_Folder.Child(L"LOG\\" + _strName).c_str()) != INVALID_FILE_ATTRIBUTES;
    }
    // Creates the files, starts the host and returns which of them are still there once the
    // debug list's after-load call is over (it comes before the Search list's).
    std::vector<bool> KeptAfterStart(const std::vector<std::wstring>& _vecNames)
    {
        for (const std::wstring& strName : _vecNames)
            EXPECT_TRUE(m_Folder.WriteTextFile(L"LOG\\" + strName, "old line\r\n")) << tvr::WideToUtf8(strName);
        AddProbe(L"PluginSearch", L"PluginSearchP");
        StartHost("PluginSearchP");
        std::vector<bool> vecKept;
        for (const std::wstring& strName : _vecNames)
            vecKept.push_back(Exists(strName));
        return vecKept;
    }
};

} // namespace

// 14 days by default: today and the 13 days before stay, and so do later days and every
// file whose name is no daily file's.
TEST_F(TraceFilePluginTest, AtStartDailyFilesOlderThanFourteenDaysAreDeleted)
{
    using tvr::DailyTraceFileName;
    const std::vector<std::wstring> vecNames = {DailyTraceFileName(0),  DailyTraceFileName(-13), DailyTraceFileName(-14),
                                                DailyTraceFileName(-400), DailyTraceFileName(1), L"Trace_2025-02-30.log",
                                                L"Trace_old.log", L"Trace_2001-01-01.txt"};
    EXPECT_EQ((std::vector<bool>{true, true, false, false, true, true, true, true}), KeptAfterStart(vecNames));
}

TEST_F(TraceFilePluginTest, AtStartTheStoredNumberOfDaysIsKept)
{
    StoreSetting(L"KeepDays", L"2");
    const std::vector<std::wstring> vecNames = {tvr::DailyTraceFileName(0), tvr::DailyTraceFileName(-1),
                                                tvr::DailyTraceFileName(-2)};
    EXPECT_EQ((std::vector<bool>{true, true, false}), KeptAfterStart(vecNames));
}

// The level chosen on the page reaches the host (and every plug-in) at each start; without
// one the plug-in sends none.
TEST_F(TraceFilePluginTest, TheStoredTraceLevelIsAppliedAtStart)
{
    for (const wchar_t* pszLevel : {L"", L"3"})
    {
        SCOPED_TRACE(tvr::WideToUtf8(pszLevel));
        if (*pszLevel != 0)
            StoreSetting(L"Level", pszLevel);
        DeleteFileW(m_strLog.c_str());
        KeptAfterStart({});
        PostRecord(9999);
        ASSERT_TRUE(WaitForBus("PluginSearchP", 9999));
        const std::vector<tvr::ProbeCall> vecLevels = BusCalls(QEL_BUSMSG_DEBUGLEVEL);
        ASSERT_EQ(*pszLevel != 0 ? 1u : 0u, vecLevels.size());
        if (!vecLevels.empty())
        {
            EXPECT_EQ(tvr::WideToUtf8(pszLevel), vecLevels[0].Field("Level"));
        }
        TearDown();
    }
}

// The settings of an earlier version's own file go into the store at the first start, and
// behave as before.
TEST_F(TraceFilePluginTest, AnOldSettingsFileIsCarriedOverIntoTheStore)
{
    StoreSetting(L"Level", L"3", true);
    StoreSetting(L"KeepDays", L"2", true);
    const std::vector<std::wstring> vecNames = {tvr::DailyTraceFileName(-1), tvr::DailyTraceFileName(-2)};
    EXPECT_EQ((std::vector<bool>{true, false}), KeptAfterStart(vecNames));
    EXPECT_EQ(L"3", tvr::ReadIniValue(StoreFile(), L"TraceFile", L"Level"));
    EXPECT_EQ(L"2", tvr::ReadIniValue(StoreFile(), L"TraceFile", L"KeepDays"));
    PostRecord(9999);
    ASSERT_TRUE(WaitForBus("PluginSearchP", 9999));
    const std::vector<tvr::ProbeCall> vecLevels = BusCalls(QEL_BUSMSG_DEBUGLEVEL);
    ASSERT_EQ(1u, vecLevels.size());
    EXPECT_EQ("3", vecLevels[0].Field("Level"));
}

// Once the store holds the settings, the old file is no longer read.
TEST_F(TraceFilePluginTest, TheOldFileIsIgnoredOnceTheStoreHoldsSettings)
{
    StoreSetting(L"KeepDays", L"1");
    StoreSetting(L"KeepDays", L"2", true);
    StoreSetting(L"Level", L"3", true);
    EXPECT_EQ((std::vector<bool>{false}), KeptAfterStart({tvr::DailyTraceFileName(-1)}));
    EXPECT_EQ(L"", tvr::ReadIniValue(StoreFile(), L"TraceFile", L"Level"));
}
