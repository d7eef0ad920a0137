// The settings store the program offers its plug-ins: a plug-in's values, kept by the host's
// rules under the plug-in's name, for plug-in modules on the main window's thread only.
#include <gtest/gtest.h>
#include <windows.h>

#include <thread>

#include "GlobalListsFixture.h"
#include "HostHarness.h"
#include "host/window/MainWindow.h"
#include "host/window/PluginSettings.h"

namespace {

class PluginSettings : public tvr::GlobalListsTest
{
protected:
    void SetUp() override
    {
        // Without a user the values go beside the plug-in, inside this test's folder.
        SetEnvironmentVariableW(L"QelConfig", L"1");
        m_hWndMain = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        g_hWndParent = m_hWndMain;
        AddProbe(L"PluginExtra", L"PluginStoreProbe", tvr::ProbeSettings());
        LoadAll();
        m_hPlugin = g_PluginExtra.GetModuleHandle(0);
        ASSERT_NE(nullptr, m_hPlugin);
        m_strIni = tvr::ProgramFolder() + L"\\PluginExtra\\PluginStoreProbe.INI";
    }
    void TearDown() override
    {
        g_hWndParent = nullptr;
        DestroyWindow(m_hWndMain);
        SetEnvironmentVariableW(L"QelConfig", nullptr);
    }
    std::wstring Read(HMODULE _hModule, const wchar_t* _pszKey, int* _piResult) const
    {
        wchar_t szValue[64] = L"unchanged";
        *_piResult = HostReadPluginSetting(_hModule, L"Look", _pszKey, szValue, ARRAYSIZE(szValue));
        return szValue;
    }
    HWND m_hWndMain = nullptr;
    HMODULE m_hPlugin = nullptr;
    std::wstring m_strIni;
};

} // namespace

TEST_F(PluginSettings, AValueOfAnyCharactersReadsBackAsWrittenFromTheFileOfThePlugin)
{
    const std::wstring strValue = L"\u20AC Deutsch\tdark";
    ASSERT_EQ(1, HostWritePluginSetting(m_hPlugin, L"Look", L"UsedLanguage", strValue.c_str()));
    int iResult = 0;
    EXPECT_EQ(strValue, Read(m_hPlugin, L"UsedLanguage", &iResult));
    EXPECT_EQ(1, iResult);
    // Stored in the host's form, in the file named after the plug-in.
    EXPECT_EQ(0u, tvr::ReadIniValue(m_strIni, L"Look", L"UsedLanguage").find(L"#UNI#AC20"));
    EXPECT_EQ(L"", Read(m_hPlugin, L"NeverWritten", &iResult));
    EXPECT_EQ(1, iResult);
}

TEST_F(PluginSettings, OtherModulesAndOtherThreadsAreRefused)
{
    const HMODULE ahModules[] = {nullptr, GetModuleHandleW(nullptr), GetModuleHandleW(L"kernel32.dll"),
                                 reinterpret_cast<HMODULE>(reinterpret_cast<BYTE*>(m_hPlugin) + 0x1000)};
    for (HMODULE hModule : ahModules)
    {
        int iResult = -1;
        EXPECT_EQ(0, HostWritePluginSetting(hModule, L"Look", L"SchemeIndex", L"1")) << hModule;
        EXPECT_EQ(L"", Read(hModule, L"SchemeIndex", &iResult)) << hModule;
        EXPECT_EQ(0, iResult);
    }
    int iWritten = -1;
    std::thread([&]() { iWritten = HostWritePluginSetting(m_hPlugin, L"Look", L"SchemeIndex", L"1"); }).join();
    EXPECT_EQ(0, iWritten);
    EXPECT_EQ(L"", tvr::ReadIniValue(m_strIni, L"Look", L"SchemeIndex")) << "nothing was stored";
}
