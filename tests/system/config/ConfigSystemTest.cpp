// The real program's configuration at start and exit, and its language module, seen
// from outside: the INI files it writes and the text of the box it shows.
#include <gtest/gtest.h>
#include <string>

#include "HostHarness.h"
#include "config/VersionTool.h"

using namespace tvr;

namespace {

// A copy of the program under a name of its own, so its per-user file belongs to this test.
class ConfigHost : public testing::Test
{
protected:
    void SetUp() override
    {
        m_strName = L"TvrCfg" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount() % 100000);
        m_strExe = m_install.Child(m_strName + L".exe");
        ASSERT_TRUE(CopyFileW(m_install.ExePath().c_str(), m_strExe.c_str(), FALSE));
        DeleteFileW(UserIni().c_str());
    }
    void TearDown() override { DeleteFileW(UserIni().c_str()); }
    std::wstring UserIni() const { return UserDataFolder(L"CFG") + L"\\" + m_strName + L".INI"; }
    std::wstring ProgramIni() const { return m_install.Child(m_strName + L".INI"); }
    static std::wstring ProductVersion() { return CVersionTool(TVR_DIST_DIR L"\\Telvarin.exe").GetProductVersion(); }

    // Starts the copy in tray mode, waits for the version check, then closes it.
    void RunOnce(const std::wstring& _strIni, const std::map<std::wstring, std::wstring>& _mapEnvironment = {})
    {
        CHostProcess host;
        ASSERT_TRUE(host.Start(m_strExe, L"", _mapEnvironment));
        HWND hWnd = host.WaitForWindow();
        ASSERT_NE(nullptr, hWnd);
        EXPECT_TRUE(WaitUntil([&] { return !ReadIniValue(_strIni, L"General", L"HighestVersion").empty(); }, 5000));
        PostMessageW(hWnd, WM_CLOSE, 0, 0);
        DWORD dwExit = 1;
        ASSERT_TRUE(host.WaitForExit(15000, &dwExit));
        EXPECT_EQ(0u, dwExit);
    }

    CInstallFolder m_install;
    std::wstring m_strName;
    std::wstring m_strExe;
};

} // namespace

TEST_F(ConfigHost, FirstStartAndExitWriteThePerUserFile)
{
    RunOnce(UserIni());
    EXPECT_EQ(ProductVersion(), ReadIniValue(UserIni(), L"General", L"HighestVersion"));
    EXPECT_EQ(L"0 0 800 600", ReadIniValue(UserIni(), L"General", L"Position"));
    EXPECT_EQ(L"0", ReadIniValue(UserIni(), L"General", L"UseLoadSortRule"));
    EXPECT_TRUE(FileExists(UserIni()));
    EXPECT_FALSE(FileExists(ProgramIni())) << "nothing is written beside the program";
}

TEST_F(ConfigHost, StoredValuesSurviveAStartAndHigherVersionsStay)
{
    CreateDirectoryW(UserDataFolder(L"CFG").c_str(), nullptr);
    WritePrivateProfileStringW(L"General", L"Position", L"30 40 830 640", UserIni().c_str());
    WritePrivateProfileStringW(L"General", L"UseLoadSortRule", L"1", UserIni().c_str());
    WritePrivateProfileStringW(L"General", L"PluginLoadSortRule", L"PluginZ;PluginA", UserIni().c_str());
    WritePrivateProfileStringW(L"General", L"HighestVersion", L"999.0.0.0", UserIni().c_str());
    RunOnce(UserIni());
    EXPECT_EQ(L"30 40 830 640", ReadIniValue(UserIni(), L"General", L"Position"));
    EXPECT_EQ(L"1", ReadIniValue(UserIni(), L"General", L"UseLoadSortRule"));
    EXPECT_EQ(L"PluginZ;PluginA", ReadIniValue(UserIni(), L"General", L"PluginLoadSortRule"));
    EXPECT_EQ(L"999.0.0.0", ReadIniValue(UserIni(), L"General", L"HighestVersion"));
}

TEST_F(ConfigHost, QelConfigOneKeepsEverythingBesideTheProgram)
{
    RunOnce(ProgramIni(), {{L"QelConfig", L"1"}});
    EXPECT_EQ(ProductVersion(), ReadIniValue(ProgramIni(), L"General", L"HighestVersion"));
    EXPECT_EQ(L"0 0 800 600", ReadIniValue(ProgramIni(), L"General", L"Position"));
    EXPECT_EQ(L"0", ReadIniValue(ProgramIni(), L"General", L"UseLoadSortRule"));
    EXPECT_FALSE(FileExists(UserIni()));
}
