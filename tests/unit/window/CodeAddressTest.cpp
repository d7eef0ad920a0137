#include <gtest/gtest.h>
#include <windows.h>
#include <memory>

#include "host/CodeAddress.h"

namespace {

int g_iData = 0;

void ProgramFunction()
{
    ++g_iData;
}

} // namespace

TEST(CallFunctionAddress, CodeOfTheProgramFileIsAccepted)
{
    EXPECT_TRUE(IsHostCodeAddress(reinterpret_cast<const void*>(&ProgramFunction)));
    EXPECT_TRUE(IsInModuleCode(GetModuleHandleW(nullptr), reinterpret_cast<const void*>(&ProgramFunction)));
}

TEST(CallFunctionAddress, DataStackHeapAndStrayNumbersAreRejected)
{
    int iLocal = 0;
    const auto pHeap = std::make_unique<int>(0);
    EXPECT_FALSE(IsHostCodeAddress(nullptr));
    EXPECT_FALSE(IsHostCodeAddress(&g_iData));
    EXPECT_FALSE(IsHostCodeAddress(&iLocal));
    EXPECT_FALSE(IsHostCodeAddress(pHeap.get()));
    EXPECT_FALSE(IsHostCodeAddress(reinterpret_cast<const void*>(0x12345678)));
    EXPECT_FALSE(IsHostCodeAddress(reinterpret_cast<const void*>(~static_cast<UINT_PTR>(0) - 16)));
    // The program image's headers are readable but not code.
    EXPECT_FALSE(IsHostCodeAddress(GetModuleHandleW(nullptr)));
}

TEST(CallFunctionAddress, CodeOfModulesTheHostDidNotLoadIsRejected)
{
    // A system library: real code, but not the program's nor a plug-in's.
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    const void* pSystemCode = reinterpret_cast<const void*>(GetProcAddress(hKernel, "GetTickCount"));
    ASSERT_NE(nullptr, pSystemCode);
    EXPECT_TRUE(IsInModuleCode(hKernel, pSystemCode));
    EXPECT_FALSE(IsHostCodeAddress(pSystemCode));
}

TEST(CallFunctionAddress, ExecutableMemoryOutsideAnyImageIsRejected)
{
    void* pPage = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_EXECUTE_READWRITE);
    ASSERT_NE(nullptr, pPage);
    EXPECT_FALSE(IsHostCodeAddress(pPage));
    EXPECT_FALSE(IsInModuleCode(GetModuleHandleW(nullptr), pPage));
    VirtualFree(pPage, 0, MEM_RELEASE);
}
