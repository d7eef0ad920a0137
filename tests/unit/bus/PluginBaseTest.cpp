#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ProbeLog.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "bus/PluginBase.h"

using tvr::ProbeCall;
using tvr::ProbeSequence;
using tvr::ReadProbeLog;
using tvr::CTempFolder;
using tvr::ProbeWithId;

namespace {

// A category folder of its own beside the test program.
std::wstring UniqueCategoryPath()
{
    return tvr::ProgramFolder() + L"\\" + tvr::UniqueName(L"UnitPlug");
}

class PluginListTest : public ::testing::Test
{
protected:
    PluginListTest() : m_folder(UniqueCategoryPath()), m_strLog(m_folder.Child(L"calls.log")) {}
    ~PluginListTest() override
    {
        if (m_pList)
            m_pList->UnloadAllModules();
    }

    CPluginBase& List()
    {
        if (!m_pList)
            m_pList = std::make_unique<CPluginBase>(m_folder.Name().c_str());
        return *m_pList;
    }
    void AddProbe(const std::wstring& _strName, const tvr::ProbeSettings& _settings)
    {
        ASSERT_TRUE(tvr::CopyProbe(m_folder.Child(_strName), m_strLog, _settings));
    }
    std::vector<ProbeCall> Log() const { return ReadProbeLog(m_strLog); }
    std::vector<std::string> Sequence(const std::vector<std::string>& _vecCalls) const
    {
        return ProbeSequence(Log(), _vecCalls);
    }
    int SlotOfId(int _iID)
    {
        for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
        {
            if (List().GetModuleHandle(i) && List().GetSlot(i).GetPluginID() == _iID)
                return i;
        }
        return -1;
    }

    CTempFolder m_folder;
    std::wstring m_strLog;
    std::unique_ptr<CPluginBase> m_pList;
};

} // namespace

TEST_F(PluginListTest, FolderIsProgramFolderCategoryAndBackslash)
{
    EXPECT_EQ(std::wstring(List().GetFolder()), m_folder.Path() + L"\\");
    EXPECT_EQ(std::wstring(List().GetCategory()), m_folder.Name());
}

TEST_F(PluginListTest, LoadsOnlyPluginDllFilesInListingOrder)
{
    AddProbe(L"PluginProbeB.DLL", ProbeWithId(2));
    AddProbe(L"PluginProbeA.dll", ProbeWithId(1));
    AddProbe(L"OtherProbe.DLL", ProbeWithId(3));
    AddProbe(L"PluginProbeOld.dll_old", ProbeWithId(4));   // matches "*.DLL" through its 8.3 name on Windows
    CreateDirectoryW(m_folder.Child(L"PluginFolder.DLL").c_str(), nullptr);
    // The expected order is what the directory listing gives, whatever the file system.
    std::vector<int> vecExpected;
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW(m_folder.Child(L"PluginProbe?.DLL").c_str(), &data);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    do
        vecExpected.push_back(data.cFileName[11] == L'A' ? 1 : 2);
    while (FindNextFileW(hFind, &data));
    FindClose(hFind);

    List().LoadAllModules();

    ASSERT_EQ(vecExpected.size(), 2u);
    EXPECT_EQ(List().GetSlot(0).GetPluginID(), vecExpected[0]);
    EXPECT_EQ(List().GetSlot(1).GetPluginID(), vecExpected[1]);
    for (int i = 2; i < CPluginBase::MAX_SLOTS; ++i)
        EXPECT_EQ(List().GetModuleHandle(i), nullptr) << i;
    // The folder stays the current directory, so that a module finds its dependencies there.
    wchar_t szCurrent[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, szCurrent);
    EXPECT_EQ(CompareStringOrdinal(szCurrent, -1, m_folder.Path().c_str(), -1, TRUE), CSTR_EQUAL) << szCurrent;
}

TEST_F(PluginListTest, LoadTimeQueriesRunInOrderAndAnswersStayWithTheModule)
{
    tvr::ProbeSettings settings = ProbeWithId(9);
    settings.iIsUnicode = 0;
    settings.iIsBeta = 1;
    settings.iIsSupported = 0;
    AddProbe(L"PluginProbeA.DLL", settings);
    List().LoadAllModules();

    EXPECT_EQ(Sequence({"IsUnicode", "GetPluginID", "IsBetaVersion", "IsSupportedVersion", "CanDisable", "AfterLoad"}),
              (std::vector<std::string>{"PluginProbeA.IsUnicode", "PluginProbeA.GetPluginID", "PluginProbeA.IsBetaVersion",
                                        "PluginProbeA.IsSupportedVersion"}));
    const CPluginModule& slot = List().GetSlot(0);
    EXPECT_TRUE(slot.IsLoaded());
    EXPECT_EQ(slot.GetPluginID(), 9);
    EXPECT_EQ(slot.IsUnicode(), 0);
    EXPECT_EQ(slot.IsBeta(), 1);
    EXPECT_EQ(slot.IsNotSupported(), 1);
    EXPECT_TRUE(slot.HasBusProcess());
    // Unsupported, beta and ANSI modules still take part like any other.
    EXPECT_EQ(List().DeliverBusMessage(14, L"<r/>"), 1);
    EXPECT_EQ(Sequence({"BusProcess"}), (std::vector<std::string>{"PluginProbeA.BusProcess"}));
}

TEST_F(PluginListTest, AfterLoadCallsEveryModuleThenAsksCanDisable)
{
    tvr::ProbeSettings settingsA = ProbeWithId(1);
    settingsA.iCanDisable = 1;
    AddProbe(L"PluginProbeA.DLL", settingsA);
    AddProbe(L"PluginProbeB.DLL", ProbeWithId(2));
    List().LoadAllModules();
    EXPECT_EQ(List().GetCanDisable(0), 0);   // not asked at load

    List().AfterLoad();
    EXPECT_EQ(Sequence({"AfterLoad", "CanDisable"}),
              (std::vector<std::string>{"PluginProbeA.AfterLoad", "PluginProbeB.AfterLoad", "PluginProbeA.CanDisable",
                                        "PluginProbeB.CanDisable"}));
    EXPECT_EQ(List().GetCanDisable(SlotOfId(1)), 1);
    EXPECT_EQ(List().GetCanDisable(SlotOfId(2)), 0);

    List().BeforeClose();
    EXPECT_EQ(Sequence({"BeforeClose"}),
              (std::vector<std::string>{"PluginProbeA.BeforeClose", "PluginProbeB.BeforeClose"}));
}

TEST_F(PluginListTest, FirstModuleReturningZeroEndsTheListsDelivery)
{
    tvr::ProbeSettings settingsA = ProbeWithId(1);
    settingsA.mapReturns[3] = 0;
    AddProbe(L"PluginProbeA.DLL", settingsA);
    AddProbe(L"PluginProbeB.DLL", ProbeWithId(2));
    List().LoadAllModules();

    EXPECT_EQ(List().DeliverBusMessage(3, L"x"), 0);
    EXPECT_EQ(List().DeliverBusMessage(4, L"x"), 1);
    EXPECT_EQ(Sequence({"BusProcess"}),
              (std::vector<std::string>{"PluginProbeA.BusProcess", "PluginProbeA.BusProcess", "PluginProbeB.BusProcess"}));
}

TEST_F(PluginListTest, SlotQueriesTakeTheSlotModulo32)
{
    tvr::ProbeSettings settings = ProbeWithId(1);
    settings.strName = std::wstring(200, L'n');
    settings.iDisableState = 1;
    AddProbe(L"PluginProbeA.DLL", settings);
    List().LoadAllModules();

    EXPECT_EQ(List().GetModuleHandle(32), List().GetModuleHandle(0));
    EXPECT_EQ(List().GetModuleHandle(-32), List().GetModuleHandle(0));
    EXPECT_EQ(std::wstring(List().GetModuleName(0)), std::wstring(126, L'n'));
    EXPECT_EQ(List().GetDisableState(0), 1);
    EXPECT_EQ(std::wstring(List().GetModuleName(1)), L"");
    EXPECT_EQ(List().GetDisableState(1), 1);   // empty slot
}

TEST_F(PluginListTest, UnloadClearsHandleAndEntryPointsButKeepsValues)
{
    tvr::ProbeSettings settings = ProbeWithId(7);
    settings.iIsBeta = 1;
    AddProbe(L"PluginProbeA.DLL", settings);
    List().LoadAllModules();
    const HMODULE hModule = List().GetModuleHandle(0);
    ASSERT_NE(hModule, nullptr);

    List().UnloadAllModules();
    const CPluginModule& slot = List().GetSlot(0);
    EXPECT_FALSE(slot.IsLoaded());
    EXPECT_EQ(slot.GetHandle(), nullptr);
    EXPECT_FALSE(slot.HasBusProcess());
    EXPECT_EQ(slot.GetName(), nullptr);
    EXPECT_EQ(slot.GetPluginID(), 7);
    EXPECT_EQ(slot.IsBeta(), 1);
    EXPECT_EQ(List().DeliverBusMessage(4, L"x"), 1);
    EXPECT_EQ(Sequence({"BusProcess"}).size(), 0u);
    EXPECT_EQ(List().GetDisableState(0), 1);
}

TEST_F(PluginListTest, AddLoadsOnceAndRemoveUnloads)
{
    AddProbe(L"PluginProbeA.DLL", ProbeWithId(1));
    List().LoadAllModules();
    AddProbe(L"PluginXyz.dll", ProbeWithId(5));

    EXPECT_EQ(List().Add(L"PluginXyz"), 0);
    EXPECT_EQ(List().GetSlot(1).GetPluginID(), 5);
    EXPECT_EQ(List().Add(L"pluginxyz.dll"), 1);
    EXPECT_EQ(List().Add(L"PluginProbeA"), 1);
    EXPECT_EQ(List().GetModuleHandle(2), nullptr);
    // Add neither calls after-load nor asks can-disable.
    EXPECT_EQ(Sequence({"AfterLoad", "CanDisable"}).size(), 0u);

    EXPECT_EQ(List().Add(L"PluginMissing"), 2);
    EXPECT_EQ(List().Remove(L"PluginXyz"), 0);
    EXPECT_EQ(List().GetModuleHandle(1), nullptr);
    EXPECT_EQ(List().Remove(L"PluginXyz"), 1);
    EXPECT_EQ(Sequence({"BeforeClose"}).size(), 0u);
    EXPECT_EQ(List().Add(L"PluginXyz"), 0);   // into the first empty slot again
    EXPECT_NE(List().GetModuleHandle(1), nullptr);
}

TEST_F(PluginListTest, AddRefusesPathsOutsideThePluginFolder)
{
    CTempFolder other(UniqueCategoryPath());
    ASSERT_TRUE(tvr::CopyProbe(other.Child(L"PluginElsewhere.DLL"), m_strLog, ProbeWithId(8)));
    const std::wstring strRelative = L"..\\" + other.Name() + L"\\PluginElsewhere";

    EXPECT_EQ(List().Add(strRelative.c_str()), 2);
    EXPECT_EQ(List().Add(other.Child(L"PluginElsewhere.DLL").c_str()), 2);
    EXPECT_EQ(List().GetModuleHandle(0), nullptr);
    EXPECT_TRUE(Log().empty());
}

TEST_F(PluginListTest, AtMost32ModulesAndAddFindsNoSlot)
{
    for (int i = 0; i < 33; ++i)
    {
        wchar_t szName[32];
        wsprintfW(szName, L"PluginProbe%02d.DLL", i);
        AddProbe(szName, ProbeWithId(i + 1));
    }
    List().LoadAllModules();
    int iLoaded = 0;
    for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
        iLoaded += List().GetModuleHandle(i) ? 1 : 0;
    EXPECT_EQ(iLoaded, 32);
    EXPECT_EQ(SlotOfId(33), -1);
    EXPECT_EQ(List().Add(L"PluginProbe32"), 3);
}

TEST_F(PluginListTest, CallPluginBusHandsATypeOnlyRecord)
{
    tvr::ProbeSettings settings = ProbeWithId(1);
    settings.mapReturns[5] = 42;
    AddProbe(L"PluginProbeA.DLL", settings);
    List().LoadAllModules();

    EXPECT_EQ(CallPluginBus(&List().GetSlot(0), 5), 42);
    const std::vector<ProbeCall> vecLog = Log();
    ASSERT_FALSE(vecLog.empty());
    const ProbeCall& call = vecLog.back();
    EXPECT_EQ(call.strCall, "BusProcess");
    EXPECT_EQ(call.strType, "5");
    EXPECT_EQ(call.vecFields, (std::vector<std::pair<std::string, std::string>>{{"Type", "5"}, {"Sender", "Unknown"}}));

    EXPECT_EQ(CallPluginBus(nullptr, 5), 0);
    EXPECT_EQ(CallPluginBus(FindListedModule(GetModuleHandleW(L"kernel32.dll")), 5), 0);
}
