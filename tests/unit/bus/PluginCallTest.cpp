// The running plug-in export, as a fault report names it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "bus/PluginCall.h"

TEST(PluginCall, ScopesNestAndTheRunningCallIsNamedByFileAndExport)
{
    EXPECT_EQ(nullptr, CurrentPluginCall().hModule);
    wchar_t szCall[640] = L"unchanged";
    EXPECT_FALSE(DescribePluginCall(CurrentPluginCall(), szCall, ARRAYSIZE(szCall)));
    HMODULE hKernel = GetModuleHandleW(L"kernel32.dll");
    {
        CPluginCallScope outer(hKernel, "DLL_PluginAfterLoad");
        {
            CPluginCallScope inner(GetModuleHandleW(nullptr), "DLL_PluginBusProcess");
            EXPECT_STREQ("DLL_PluginBusProcess", CurrentPluginCall().pszExport);
        }
        ASSERT_EQ(hKernel, CurrentPluginCall().hModule);
        ASSERT_TRUE(DescribePluginCall(CurrentPluginCall(), szCall, ARRAYSIZE(szCall)));
        const std::wstring strCall = szCall;
        EXPECT_NE(std::wstring::npos, strCall.find(L"kernel32.dll DLL_PluginAfterLoad")) << strCall;
    }
    EXPECT_EQ(nullptr, CurrentPluginCall().hModule);
}
