// Which addresses the host calls on request: code of its loaded plug-in modules only.
#include <gtest/gtest.h>
#include <windows.h>
#include <memory>

#include "GlobalListsFixture.h"
#include "bus/CodeAddress.h"
#include "bus/PluginBase.h"

using tvr::GlobalListsTest;
using tvr::ProbeWithId;

namespace {

int g_iData = 0;

void ProgramFunction()
{
    ++g_iData;
}

} // namespace

TEST_F(GlobalListsTest, CodeOfALoadedPluginIsCallableAndGoneWithItsModule)
{
    AddProbe(L"PluginExtra", L"PluginCodeProbe", ProbeWithId(9));
    LoadAll();
    HMODULE hPlugin = g_PluginExtra.GetModuleHandle(0);
    ASSERT_NE(nullptr, hPlugin);
    const void* pExport = reinterpret_cast<const void*>(GetProcAddress(hPlugin, "DLL_PluginAfterLoad"));
    ASSERT_NE(nullptr, pExport);
    EXPECT_TRUE(IsPluginCodeAddress(pExport));
    // The module's headers are mapped and readable, but they are no code.
    EXPECT_FALSE(IsPluginCodeAddress(hPlugin));
    g_PluginExtra.UnloadAllModules();
    EXPECT_FALSE(IsPluginCodeAddress(pExport));
}

TEST(PluginCodeAddress, TheProgramsOwnCodeAndSystemCodeAreNeverCalled)
{
    // The program's code is real code but no plug-in's: an address of it from another
    // process could end the host without its orderly end.
    const void* pProgramCode = reinterpret_cast<const void*>(&ProgramFunction);
    EXPECT_TRUE(IsInModuleCode(GetModuleHandleW(nullptr), pProgramCode));
    EXPECT_FALSE(IsPluginCodeAddress(pProgramCode));
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    const void* pSystemCode = reinterpret_cast<const void*>(GetProcAddress(hKernel, "ExitProcess"));
    ASSERT_NE(nullptr, pSystemCode);
    EXPECT_TRUE(IsInModuleCode(hKernel, pSystemCode));
    EXPECT_FALSE(IsPluginCodeAddress(pSystemCode));
}

TEST(PluginCodeAddress, DataStackHeapAndStrayNumbersAreRejected)
{
    int iLocal = 0;
    const auto pHeap = std::make_unique<int>(0);
    void* pPage = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    ASSERT_NE(nullptr, pPage);
    for (const void* pAddress : {static_cast<const void*>(nullptr), static_cast<const void*>(&g_iData),
                                 static_cast<const void*>(&iLocal), static_cast<const void*>(pHeap.get()),
                                 static_cast<const void*>(pPage), reinterpret_cast<const void*>(0x12345678),
                                 reinterpret_cast<const void*>(~static_cast<UINT_PTR>(0) - 16)})
        EXPECT_FALSE(IsPluginCodeAddress(pAddress)) << pAddress;
    EXPECT_FALSE(IsInModuleCode(GetModuleHandleW(nullptr), pPage));
    VirtualFree(pPage, 0, MEM_RELEASE);
}
