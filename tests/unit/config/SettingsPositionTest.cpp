// The settings window's stored rectangle and sort rule: read at start, checked against
// the desktop, written back at exit in tray mode only.
#include <gtest/gtest.h>
#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "config/RegIniAccess.h"
#include "host/window/MainWindow.h"
#include "ui/QelConfig.h"

using namespace tvr;

namespace {

class SettingsPosition : public testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"QelConfig", L"1");
        const std::wstring strName = UniqueName(L"Pos");
        m_strIni = m_folder.Child(strName + L".INI");
        g_RegIniAccess.InitForFiles(1, m_folder.Child(strName + L".dll").c_str(), m_folder.Child(strName + L".exe").c_str());
        SetEnvironmentVariableW(L"QelConfig", nullptr);
    }
    void TearDown() override { g_dwServiceMode = 0; }
    RECT Loaded(const wchar_t* _pszPosition)
    {
        WriteRawIni(m_strIni, L"General", L"Position", _pszPosition);
        CQelConfig config;
        config.LoadSettingsPosition();
        return config.GetPosition();
    }
    static RECT Desktop()
    {
        RECT rc = {};
        GetWindowRect(GetDesktopWindow(), &rc);
        return rc;
    }

    CTempFolder m_folder;
    std::wstring m_strIni;
};

bool operator==(const RECT& _a, const RECT& _b)
{
    return EqualRect(&_a, &_b) != FALSE;
}

const RECT DEFAULT_RECT = {0, 0, 800, 600};

} // namespace

TEST_F(SettingsPosition, RectangleInsideTheDesktopIsKept)
{
    const RECT rcDesktop = Desktop();
    EXPECT_TRUE((RECT{10, 20, 500, 400}) == Loaded(L"10 20 500 400"));
    EXPECT_TRUE(rcDesktop == Loaded((std::to_wstring(rcDesktop.left) + L" " + std::to_wstring(rcDesktop.top) + L" " +
                                     std::to_wstring(rcDesktop.right) + L" " + std::to_wstring(rcDesktop.bottom)).c_str()));
}

TEST_F(SettingsPosition, InvalidOrMissingRectangleBecomesTheDefault)
{
    const RECT rcDesktop = Desktop();
    EXPECT_TRUE(DEFAULT_RECT == Loaded(L"0 0 0 0"));
    EXPECT_TRUE(DEFAULT_RECT == Loaded(L""));
    EXPECT_TRUE(DEFAULT_RECT == Loaded(L"300 10 200 400")) << "right left of left";
    EXPECT_TRUE(DEFAULT_RECT == Loaded(L"-5 0 400 300")) << "left outside";
    EXPECT_TRUE(DEFAULT_RECT == Loaded((L"0 0 " + std::to_wstring(rcDesktop.right + 1) + L" 300").c_str()));
    EXPECT_TRUE(DEFAULT_RECT == Loaded((L"0 0 300 " + std::to_wstring(rcDesktop.bottom + 1)).c_str()));
    EXPECT_TRUE(DEFAULT_RECT == Loaded(L"garbage"));
}

TEST_F(SettingsPosition, ExitWritesTheThreeKeysUnchanged)
{
    WriteRawIni(m_strIni, L"General", L"Position", L"10 20 500 400");
    WriteRawIni(m_strIni, L"General", L"UseLoadSortRule", L"1");
    WriteRawIni(m_strIni, L"General", L"PluginLoadSortRule", L"PluginB;PluginA");
    CQelConfig config;
    config.LoadSettingsPosition();
    EXPECT_STREQ(L"PluginB;PluginA", config.GetLoadSortRule());
    DeleteFileW(m_strIni.c_str());
    config.SaveSettingsPosition();
    EXPECT_EQ(L"10 20 500 400", ReadRawIni(m_strIni, L"General", L"Position"));
    EXPECT_EQ(L"1", ReadRawIni(m_strIni, L"General", L"UseLoadSortRule"));
    EXPECT_EQ(L"PluginB;PluginA", ReadRawIni(m_strIni, L"General", L"PluginLoadSortRule"));
}

TEST_F(SettingsPosition, LongSortRuleIsUsedCutButNeverWrittenBackCut)
{
    WriteRawIni(m_strIni, L"General", L"PluginLoadSortRule", std::wstring(2000, L's'));
    CQelConfig config;
    config.LoadSettingsPosition();
    EXPECT_EQ(std::wstring(1022, L's'), config.GetLoadSortRule());
    config.SaveSettingsPosition();
    EXPECT_EQ(std::wstring(2000, L's'), ReadRawIni(m_strIni, L"General", L"PluginLoadSortRule"));
    EXPECT_EQ(L"0 0 800 600", ReadRawIni(m_strIni, L"General", L"Position")) << "the other keys are still written";

    // A rule that fits exactly is written back, and so is an empty one.
    for (const std::wstring& strRule : {std::wstring(1022, L't'), std::wstring()})
    {
        WriteRawIni(m_strIni, L"General", L"PluginLoadSortRule", strRule);
        CQelConfig fits;
        fits.LoadSettingsPosition();
        DeleteFileW(m_strIni.c_str());
        fits.SaveSettingsPosition();
        EXPECT_EQ(strRule, ReadRawIni(m_strIni, L"General", L"PluginLoadSortRule")) << strRule.size();
    }
}

TEST_F(SettingsPosition, ServiceModeWritesNothing)
{
    CQelConfig config;
    config.LoadSettingsPosition();
    g_dwServiceMode = 1;
    config.SaveSettingsPosition();
    EXPECT_FALSE(FileExists(m_strIni));
    g_dwServiceMode = 0;
    config.SaveSettingsPosition();
    EXPECT_EQ(L"0 0 800 600", ReadRawIni(m_strIni, L"General", L"Position"));
    EXPECT_EQ(L"0", ReadRawIni(m_strIni, L"General", L"UseLoadSortRule"));
    EXPECT_EQ(L"", ReadRawIni(m_strIni, L"General", L"PluginLoadSortRule"));
}
