#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ProbeLog.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "bus/PluginBase.h"
#include "bus/PluginModule.h"

namespace {

class PluginModuleTest : public ::testing::Test
{
protected:
    PluginModuleTest() : m_folder(tvr::ProgramFolder() + L"\\" + tvr::UniqueName(L"UnitModule")) {}

    std::wstring AddProbe(const std::wstring& _strName, int _iID)
    {
        const std::wstring strPath = m_folder.Child(_strName);
        EXPECT_TRUE(tvr::CopyProbe(strPath, m_folder.Child(L"calls.log"), tvr::ProbeWithId(_iID)));
        return strPath;
    }
    static bool IsMapped(const std::wstring& _strPath) { return GetModuleHandleW(_strPath.c_str()) != nullptr; }

    tvr::CTempFolder m_folder;
};

} // namespace

TEST_F(PluginModuleTest, OwnsItsLibraryThroughMovesAndFreesItOnce)
{
    const std::wstring strA = AddProbe(L"PluginProbeA.DLL", 1);
    const std::wstring strB = AddProbe(L"PluginProbeB.DLL", 2);
    {
        CPluginModule moduleA;
        CPluginModule moduleB;
        ASSERT_TRUE(moduleA.Load(strA.c_str()));
        ASSERT_TRUE(moduleB.Load(strB.c_str()));
        const HMODULE hA = moduleA.GetHandle();

        CPluginModule moved(std::move(moduleA));
        EXPECT_FALSE(moduleA.IsLoaded());
        EXPECT_FALSE(moduleA.HasBusProcess());
        EXPECT_EQ(moved.GetHandle(), hA);
        EXPECT_EQ(moved.GetPluginID(), 1);

        std::swap(moved, moduleB);
        EXPECT_EQ(moduleB.GetHandle(), hA);
        EXPECT_EQ(moduleB.GetPluginID(), 1);
        EXPECT_EQ(moved.GetPluginID(), 2);
        EXPECT_TRUE(IsMapped(strA));
        EXPECT_TRUE(IsMapped(strB));

        moduleB.Unload();
        EXPECT_FALSE(IsMapped(strA));
        EXPECT_TRUE(IsMapped(strB));
        EXPECT_EQ(moduleB.GetPluginID(), 1);   // the load-time answers stay
    }
    EXPECT_FALSE(IsMapped(strB));   // the last owner freed it when it went
}

TEST_F(PluginModuleTest, MissingLibraryLeavesTheModuleEmpty)
{
    CPluginModule module;
    EXPECT_FALSE(module.Load(m_folder.Child(L"PluginMissing.DLL").c_str()));
    EXPECT_FALSE(module.IsLoaded());
    EXPECT_EQ(module.BusProcess(4, L"x"), 1);
    EXPECT_EQ(module.GetName(), nullptr);
    EXPECT_EQ(module.GetDisableState(), 0);
}

TEST_F(PluginModuleTest, ListFreesItsLibrariesWhenItGoesAfterSorting)
{
    const std::wstring strA = AddProbe(L"PluginProbeA.DLL", 1);
    const std::wstring strB = AddProbe(L"PluginProbeB.DLL", 2);
    {
        CPluginBase list(m_folder.Name().c_str());
        list.LoadAllModules();   // without a rule the listing order stays; both are loaded
        ASSERT_TRUE(IsMapped(strA));
        ASSERT_TRUE(IsMapped(strB));
    }
    EXPECT_FALSE(IsMapped(strA));
    EXPECT_FALSE(IsMapped(strB));
}
