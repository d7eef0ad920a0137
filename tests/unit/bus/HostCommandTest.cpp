#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "GlobalListsFixture.h"

using tvr::GlobalListsTest;
using tvr::ProbeWithId;

TEST_F(GlobalListsTest, ReloadCommandClosesUnloadsLoadsAndAfterLoadsItsList)
{
    AddProbe(L"PluginSearch", L"PluginSearchA", ProbeWithId(1));
    AddProbe(L"PluginSave", L"PluginSaveA", ProbeWithId(2));
    LoadAll();

    RunHostCommand(L"LOADALLSEARCHMODULES", L"");
    EXPECT_EQ(Sequence({"BeforeClose", "GetPluginID", "AfterLoad"}),
              (std::vector<std::string>{"PluginSearchA.GetPluginID", "PluginSaveA.GetPluginID", "PluginSearchA.BeforeClose",
                                        "PluginSearchA.GetPluginID", "PluginSearchA.AfterLoad"}));
    EXPECT_NE(g_PluginSearch.GetModuleHandle(0), nullptr);

    RunHostCommand(L"REMOVEALLSAVEMODULES", L"");
    EXPECT_EQ(g_PluginSave.GetModuleHandle(0), nullptr);
    EXPECT_EQ(Sequence({"BeforeClose"}).back(), "PluginSaveA.BeforeClose");
}

TEST_F(GlobalListsTest, PluginAddLoadsIntoTheSearchListOnceAndPluginRemoveUnloads)
{
    LoadAll();
    AddProbe(L"PluginSearch", L"PluginXyz", ProbeWithId(5));

    RunHostCommand(L"pluginadd", L"PluginXyz");
    RunHostCommand(L"PluginAdd", L"PluginXyz");
    EXPECT_EQ(g_PluginSearch.GetModuleHandle(0), nullptr);

    RunHostCommand(L"PLUGINADD", L"PluginXyz");
    RunHostCommand(L"PLUGINADD", L"PluginXyz");
    EXPECT_NE(g_PluginSearch.GetModuleHandle(0), nullptr);
    EXPECT_EQ(g_PluginSearch.GetModuleHandle(1), nullptr);
    EXPECT_EQ(Sequence({"GetPluginID"}).size(), 1u);

    RunHostCommand(L"pluginremove", L"PluginXyz");
    EXPECT_NE(g_PluginSearch.GetModuleHandle(0), nullptr);
    RunHostCommand(L"PLUGINREMOVE", L"PluginXyz");
    EXPECT_EQ(g_PluginSearch.GetModuleHandle(0), nullptr);
}

TEST_F(GlobalListsTest, UnknownCommandsAndMissingTextsDoNothing)
{
    AddProbe(L"PluginExtra", L"PluginExtraA", ProbeWithId(1));
    LoadAll();
    RunHostCommand(L"LOADALLDEBUGMODULES", L"");
    RunHostCommand(nullptr, nullptr);
    RunHostCommand(L"PLUGINADD", nullptr);
    RunHostCommand(L"REMOVEALLEXTRAMODULES ", L"");
    EXPECT_NE(g_PluginExtra.GetModuleHandle(0), nullptr);
    EXPECT_EQ(Sequence({"BeforeClose"}).size(), 0u);
}
