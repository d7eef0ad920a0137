// Version texts of files and the check of the highest version ever run.
#include <gtest/gtest.h>
#include <string>

#include "CaptureWindow.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "TelvarinPlugin.h"
#include "VersionResourceBuilder.h"
#include "config/RegIniAccess.h"
#include "config/VersionHandler.h"
#include "config/VersionTool.h"
#include "host/window/MainWindow.h"

using namespace tvr;

namespace {

const WORD PRODUCT[4] = {1, 2, 10, 0};
const WORD FILEVER[4] = {3, 4, 5, 65535};

std::wstring Comparable(const wchar_t* _pszVersion)
{
    wchar_t szOut[64];
    MakeComparableVersion(_pszVersion, szOut, ARRAYSIZE(szOut));
    return szOut;
}

SStringBlock Block(const wchar_t* _pszBlock, const wchar_t* _pszTag)
{
    const std::wstring strTag = _pszTag;
    return {_pszBlock, {{L"ProductName", L"Product " + strTag}, {L"FileDescription", L"Description " + strTag},
                        {L"Comments", L"Comments " + strTag}, {L"OriginalFilename", strTag + L".dll"}}};
}

class VersionBlocks : public testing::Test
{
protected:
    std::wstring ProductNameWith(const std::vector<SStringBlock>& _vecBlocks)
    {
        const std::wstring strPath = m_folder.Child(UniqueName(L"ver") + L".dll");
        EXPECT_TRUE(MakeVersionedModule(strPath, PRODUCT, FILEVER, _vecBlocks));
        return CVersionTool(strPath.c_str()).GetProductName();
    }
    CTempFolder m_folder;
};

} // namespace

TEST(ComparableVersion, FixedWidthPartsOrderAsText)
{
    EXPECT_EQ(L"00001.00002.00010.00000", Comparable(L"1.2.10.0"));
    EXPECT_LT(Comparable(L"1.2.9.0"), Comparable(L"1.2.10.0"));
    EXPECT_EQ(L"00002.00001.00000.00000", Comparable(L"2.1"));
    EXPECT_EQ(L"00000.00000.00000.00000", Comparable(L""));
    EXPECT_EQ(L"65535.00000.00000.00001", Comparable(L"65535.0.0.1"));
}

TEST_F(VersionBlocks, FixedVersionsAndAllFourStrings)
{
    const std::wstring strPath = m_folder.Child(L"all.dll");
    ASSERT_TRUE(MakeVersionedModule(strPath, PRODUCT, FILEVER, {Block(L"040904b0", L"US")}));
    const CVersionTool version(strPath.c_str());
    EXPECT_STREQ(L"1.2.10.0", version.GetProductVersion());
    EXPECT_STREQ(L"3.4.5.65535", version.GetFileVersion());
    EXPECT_STREQ(L"Product US", version.GetProductName());
    EXPECT_STREQ(L"Description US", version.GetFileDescription());
    EXPECT_STREQ(L"Comments US", version.GetComments());
    EXPECT_STREQ(L"US.dll", version.GetOriginalFilename());
}

TEST_F(VersionBlocks, BlocksAreTriedGermanFirstThenEnglishThenNeutral)
{
    EXPECT_EQ(L"Product DE", ProductNameWith({Block(L"000004b0", L"X"), Block(L"040904b0", L"US"), Block(L"040704b0", L"DE")}));
    EXPECT_EQ(L"Product DE1252", ProductNameWith({Block(L"040904b0", L"US"), Block(L"040704e4", L"DE1252")}));
    EXPECT_EQ(L"Product US", ProductNameWith({Block(L"000004b0", L"X"), Block(L"040904b0", L"US")}));
    EXPECT_EQ(L"Product X", ProductNameWith({Block(L"000004b0", L"X")}));
    // A block outside the four gives nothing.
    EXPECT_EQ(L"", ProductNameWith({Block(L"040904e4", L"US1252")}));
}

TEST_F(VersionBlocks, LongTextsAreCutAndMissingFilesGiveEmptyTexts)
{
    const std::wstring strLong(200, L'n');
    EXPECT_EQ(std::wstring(126, L'n'), ProductNameWith({{L"040904b0", {{L"ProductName", strLong}}}}));
    const CVersionTool missing(m_folder.Child(L"missing.dll").c_str());
    EXPECT_STREQ(L"", missing.GetProductVersion());
    EXPECT_STREQ(L"", missing.GetProductName());
    // The probe plug-in has no version resource at all.
    const CVersionTool plain(TVR_TEST_PLUGINS_DIR L"\\PluginProbe.dll");
    EXPECT_STREQ(L"", plain.GetProductVersion());
}

TEST(VersionTool, TheProgramFileOfTheDistribution)
{
    const CVersionTool version(TVR_DIST_DIR L"\\Telvarin.exe");
    EXPECT_STREQ(L"Telvarin", version.GetProductName());
    EXPECT_STREQ(L"Telvarin Host", version.GetFileDescription());
    EXPECT_STREQ(L"Telvarin.exe", version.GetOriginalFilename());
    EXPECT_STRNE(L"", version.GetProductVersion());
}

namespace {

// The process-wide store in a temporary folder (values beside the "program") and a window
// in place of the main window.
class VersionCheck : public testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"QelConfig", L"1");
        const std::wstring strName = UniqueName(L"Ver");
        g_RegIniAccess.InitForFiles(1, m_folder.Child(strName + L".dll").c_str(), m_folder.Child(strName + L".exe").c_str());
        SetEnvironmentVariableW(L"QelConfig", nullptr);
        g_hWndParent = m_sink.Handle();
    }
    void TearDown() override { g_hWndParent = nullptr; }
    void Store(const wchar_t* _pszVersion) { g_RegIniAccess.WriteString(L"General", L"HighestVersion", _pszVersion); }
    std::wstring Stored() { return g_RegIniAccess.ReadString(L"General", L"HighestVersion", 0); }
    // Runs one start with the running version; true when a type 82 record was posted.
    bool Start(const wchar_t* _pszRunning)
    {
        CVersionHandler handler;
        handler.LoadWithVersion(_pszRunning);
        AnnounceNewVersion(handler);
        m_strRecord.clear();
        return m_sink.TakeRecord(QEL_BUSMSG_VERSIONINFO, &m_strRecord);
    }
    std::wstring Field(const wchar_t* _pszKeyword) { return GetBusValue(m_strRecord.c_str(), _pszKeyword); }

    CTempFolder m_folder;
    CCaptureWindow m_sink;
    std::wstring m_strRecord;
};

} // namespace

TEST_F(VersionCheck, FirstStartPostsAndStoresTheRunningVersion)
{
    ASSERT_TRUE(Start(L"1.0.3.0"));
    EXPECT_EQ(L"", Field(L"HighestVersion"));
    EXPECT_EQ(L"1.0.3.0", Field(L"ActualVersion"));
    EXPECT_EQ(L"1.0.3.0", Stored());
    EXPECT_FALSE(Start(L"1.0.3.0")) << "the same version again sends nothing";
}

TEST_F(VersionCheck, UpgradePostsTheOldHighestAndStoresTheNewOne)
{
    Store(L"1.2.9.0");
    ASSERT_TRUE(Start(L"1.2.10.0"));
    EXPECT_EQ(L"1.2.9.0", Field(L"HighestVersion"));
    EXPECT_EQ(L"1.2.10.0", Field(L"ActualVersion"));
    EXPECT_EQ(L"1.2.10.0", Stored());
}

TEST_F(VersionCheck, DowngradeLeavesTheHighestVersion)
{
    Store(L"2.0.0.0");
    EXPECT_FALSE(Start(L"1.9.0.0"));
    EXPECT_EQ(L"2.0.0.0", Stored());
}

TEST_F(VersionCheck, TwoPartStoredVersionComparesWithZeros)
{
    Store(L"2.1");
    EXPECT_FALSE(Start(L"2.1.0.0"));
    EXPECT_EQ(L"2.1", Stored());
    ASSERT_TRUE(Start(L"2.1.0.1"));
    EXPECT_EQ(L"2.1", Field(L"HighestVersion"));
    EXPECT_EQ(L"2.1.0.1", Stored());
}

TEST_F(VersionCheck, FieldsKeepTheirStartValues)
{
    CVersionHandler handler;
    handler.LoadWithVersion(L"3.0.0.0");
    handler.CheckVersion();
    EXPECT_STREQ(L"", handler.GetHighestVersion());
    EXPECT_STREQ(L"3.0.0.0", handler.GetActualVersion());
    // A running version longer than the field is cut to 63 characters.
    handler.LoadWithVersion(std::wstring(100, L'9').c_str());
    EXPECT_EQ(62u, wcslen(handler.GetActualVersion()));
}
