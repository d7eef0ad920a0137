#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlobalListsFixture.h"
#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"

using tvr::GlobalListsTest;
using tvr::ProbeWithId;

namespace {

// A record in a fresh fixed block, as a sender hands it to the main window and the main
// window accepts it for distribution.
CBusBlock RecordBlock(UINT _uType, const std::wstring& _strExtraLines = L"")
{
    const SIZE_T cchBlock = 16384 + 2;
    auto* pszBlock = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cchBlock * sizeof(wchar_t)));
    BusRecordBegin(pszBlock, cchBlock);
    BusRecordAppend(pszBlock, cchBlock, BUS_FIELD_TYPE, _uType);
    BusRecordAppend(pszBlock, cchBlock, L"%s", _strExtraLines.c_str());
    BusRecordEnd(pszBlock, cchBlock);
    return CBusBlock::Accept(reinterpret_cast<LPARAM>(pszBlock), _uType);
}

class DistributionTest : public GlobalListsTest
{
protected:
    // One probe per list, named after it; the given list's probe returns 0 for the type.
    void LoadOneProbePerList(const wchar_t* _pszRefusing = nullptr, UINT _uType = 0)
    {
        int iID = 1;
        for (const auto& list : tvr::AllLists())
        {
            tvr::ProbeSettings settings = ProbeWithId(iID++);
            if (_pszRefusing && wcscmp(list.pszCategory, _pszRefusing) == 0)
                settings.mapReturns[_uType] = 0;
            AddProbe(list.pszCategory, std::wstring(L"Plugin") + (list.pszCategory + 6), settings);
        }
        LoadAll();
    }
    std::vector<tvr::ProbeCall> BusCalls() const
    {
        std::vector<tvr::ProbeCall> vecCalls;
        for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
        {
            if (call.strCall == "BusProcess")
                vecCalls.push_back(call);
        }
        return vecCalls;
    }
};

const std::vector<std::string> ALL_IN_ORDER = {"PluginDebug.BusProcess",  "PluginExtra.BusProcess",
                                               "PluginSearch.BusProcess", "PluginInfo.BusProcess",
                                               "PluginSave.BusProcess",   "PluginTelephony.BusProcess"};

}   // namespace

TEST_F(DistributionTest, ListsSeeTheMessageInOrderWithTheRecordFields)
{
    LoadOneProbePerList();
    EXPECT_EQ(DistributeBusMessageToLists(4, RecordBlock(4, L" <value keyword=\"Text\">a\r\nb</value>\r\n")), 1);
    EXPECT_EQ(Sequence({"BusProcess"}), ALL_IN_ORDER);
    const std::vector<tvr::ProbeCall> vecLog = tvr::ReadProbeLog(m_strLog);
    ASSERT_FALSE(vecLog.empty());
    EXPECT_EQ(vecLog.back().vecFields, (std::vector<std::pair<std::string, std::string>>{
                                           {"Type", "4"}, {"Text", "a\r\nb"}, {"Sender", "Unknown"}}));
}

TEST_F(DistributionTest, OnlyExtraSaveAndTelephonyDecideTheResult)
{
    struct Case
    {
        const wchar_t* pszRefusing;
        int iExpected;
    };
    for (const Case& c : {Case{L"PluginDebug", 1}, Case{L"PluginSearch", 1}, Case{L"PluginInfo", 1},
                          Case{L"PluginExtra", 0}, Case{L"PluginSave", 0}, Case{L"PluginTelephony", 0}})
    {
        for (const auto& list : tvr::AllLists())
            list.pList->UnloadAllModules();
        for (const auto& pFolder : m_vecFolders)
        {
            tvr::RemoveTree(pFolder->Path());
            CreateDirectoryW(pFolder->Path().c_str(), nullptr);
        }
        LoadOneProbePerList(c.pszRefusing, 2);
        ClearLog();
        EXPECT_EQ(DistributeBusMessageToLists(2, RecordBlock(2)), c.iExpected) << c.pszRefusing;
        // A refusing module ends only its own list: every other list still sees the message.
        EXPECT_EQ(Sequence({"BusProcess"}), ALL_IN_ORDER) << c.pszRefusing;
    }
}

TEST_F(DistributionTest, SearchModuleReturningZeroStopsOnlyTheSearchModulesAfterIt)
{
    tvr::ProbeSettings refusing = ProbeWithId(1);
    refusing.mapReturns[3] = 0;
    AddProbe(L"PluginSearch", L"PluginSearchA", refusing);
    AddProbe(L"PluginSearch", L"PluginSearchB", ProbeWithId(2));
    AddProbe(L"PluginInfo", L"PluginInfo", ProbeWithId(3));
    AddProbe(L"PluginSave", L"PluginSave", ProbeWithId(4));
    AddProbe(L"PluginTelephony", L"PluginTelephony", ProbeWithId(5));
    LoadAll();

    EXPECT_EQ(DistributeBusMessageToLists(3, RecordBlock(3)), 1);
    EXPECT_EQ(Sequence({"BusProcess"}),
              (std::vector<std::string>{"PluginSearchA.BusProcess", "PluginInfo.BusProcess", "PluginSave.BusProcess",
                                        "PluginTelephony.BusProcess"}));
}

TEST_F(DistributionTest, MemBlockLivesThroughTheLastListAndIsFreedAfterIt)
{
    LoadOneProbePerList();
    const HGLOBAL hMemBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 100);
    ASSERT_NE(hMemBlock, nullptr);
    wchar_t szLine[96];
    wsprintfW(szLine, L" <value keyword=\"MemBlock\">%Id</value>\r\n", reinterpret_cast<INT_PTR>(hMemBlock));

    DistributeBusMessageToLists(80, RecordBlock(80, szLine));

    const std::vector<tvr::ProbeCall> vecLog = BusCalls();
    ASSERT_EQ(vecLog.size(), 6u);
    EXPECT_EQ(vecLog.back().strModule, "PluginTelephony");
    EXPECT_EQ(vecLog.back().Field("MemBlockSize"), "100");
    EXPECT_EQ(GlobalSize(hMemBlock), 0u);
}

TEST_F(DistributionTest, BlockNotOwnedByTheProcessReadsAsAnEmptyRecord)
{
    LoadOneProbePerList();
    EXPECT_EQ(DistributeBusMessageToLists(4, CBusBlock::Accept(0x12345678, 4)), 1);
    const std::vector<tvr::ProbeCall> vecLog = BusCalls();
    ASSERT_EQ(vecLog.size(), 6u);
    for (const tvr::ProbeCall& call : vecLog)
        EXPECT_TRUE(call.vecFields.empty()) << call.strModule;
}
