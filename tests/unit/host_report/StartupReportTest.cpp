#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "TraceCaptureTest.h"
#include "base/ProgramPath.h"
#include "host/report/StartupReport.h"

namespace {

const wchar_t TEST_ROOT[] = L"Software\\TelvarinDiagReportTest";
const wchar_t PROVIDERS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Providers";

// A private registry tree under HKCU stands in for HKEY_LOCAL_MACHINE.
class StartupReportTest : public tvr::CTraceCaptureTest
{
protected:
    void SetUp() override
    {
        CTraceCaptureTest::SetUp();
        RegDeleteTreeW(HKEY_CURRENT_USER, TEST_ROOT);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, TEST_ROOT, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &m_hRoot, nullptr));
        GetSystemDirectoryW(m_szSystemDir, MAX_PATH);
    }
    void TearDown() override
    {
        RegCloseKey(m_hRoot);
        RegDeleteTreeW(HKEY_CURRENT_USER, TEST_ROOT);
        CTraceCaptureTest::TearDown();
    }
    // NumProviders and that many ProviderFilename<i> values naming a file of the system folder.
    void WriteProviders(DWORD _dwNumProviders, DWORD _dwListed)
    {
        HKEY hKey = nullptr;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(m_hRoot, PROVIDERS, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey,
                                                 nullptr));
        RegSetValueExW(hKey, L"NumProviders", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&_dwNumProviders),
                       sizeof(_dwNumProviders));
        const wchar_t szFile[] = L"kernel32.dll";
        for (DWORD i = 0; i < _dwListed; ++i)
        {
            const std::wstring strName = L"ProviderFilename" + std::to_wstring(i);
            RegSetValueExW(hKey, strName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(szFile), sizeof(szFile));
        }
        RegCloseKey(hKey);
    }
    HKEY m_hRoot = nullptr;
    wchar_t m_szSystemDir[MAX_PATH] = L"";
};

} // namespace

TEST_F(StartupReportTest, ProvidersAreReportedInTheirNumber)
{
    WriteProviders(2, 3);
    TraceProviders(m_hRoot, m_szSystemDir);
    const auto vecRecords = Take();
    EXPECT_EQ(2u, Lines(vecRecords, L"MAIN.Func.PrintSystemInfoFile.Info.FileName ").size());
    EXPECT_EQ(2u, Lines(vecRecords, L"MAIN.Func.PrintSystemInfoFile.Info.ProductVersion ").size());
    EXPECT_EQ(8u, vecRecords.size());
}

TEST_F(StartupReportTest, HugeNumProvidersIsCappedAt256)
{
    // Without the cap the loop would run four billion times.
    WriteProviders(0xFFFFFFFF, 300);
    TraceProviders(m_hRoot, m_szSystemDir);
    const auto vecRecords = Take();
    EXPECT_EQ(256u, Lines(vecRecords, L"MAIN.Func.PrintSystemInfoFile.Info.FileName ").size());
    const auto vecCap = Lines(vecRecords, L"MAIN.Func.PrintSystemInfoFile.Info.NumProviders ");
    ASSERT_EQ(1u, vecCap.size());
    EXPECT_NE(std::wstring::npos, vecCap[0].find(L"NumProviders 4294967295, the first 256 reported"));
}

TEST_F(StartupReportTest, MissingDialingLocationIsNoLastError)
{
    wchar_t szLocation[256];
    DWORD dwCurrentId = 0;
    if (ReadDialingLocation(HKEY_LOCAL_MACHINE, szLocation, ARRAYSIZE(szLocation), &dwCurrentId))
        GTEST_SKIP() << "this machine has a dialling location";
    WriteStartupReport();
    const auto vecRecords = Take();
    const auto vecLocation = Lines(vecRecords, L"MAIN.Func.CServiceWindow.Error.Location ");
    ASSERT_EQ(1u, vecLocation.size());
    for (const tvr::PostedRecord& record : vecRecords)
        EXPECT_NE(static_cast<UINT>(QEL_BUSMSG_LASTERROR), record.uType) << record.strText;
}

// The start reads the reports' facts while it waits; the reports write those, and once the
// last report of the start is written, a later report reads them again.
TEST_F(StartupReportTest, GatheredFactsServeTheReportsOfOneStartOnly)
{
    const std::wstring strHelper = GetProgramFolder() + L"QELMHELP.EXE";
    DeleteFileW(strHelper.c_str());
    g_dwGlobalDebugLevel = 3;
    GatherReportFacts();
    ASSERT_TRUE(CopyFileW(GetModulePath().c_str(), strHelper.c_str(), FALSE));
    PrintSubPrograms();
    PrintSystemInfoFile();
    PrintSubPrograms();
    DeleteFileW(strHelper.c_str());
    const auto vecRecords = Take();
    EXPECT_EQ(8u, Lines(vecRecords, L"MAIN.Func.PrintSubProgram.Begin").size());
    // The helper appears only in the second round, after the system information let the
    // gathered facts go.
    std::vector<std::wstring> vecOrder;
    for (const tvr::PostedRecord& record : vecRecords)
    {
        if (record.strText.find(L"QELMHELP.EXE;") != std::wstring::npos)
            vecOrder.push_back(L"helper");
        else if (record.strText.find(L"MAIN.Func.PrintSystemInfoFile.End") != std::wstring::npos)
            vecOrder.push_back(L"system end");
    }
    EXPECT_EQ((std::vector<std::wstring>{L"system end", L"helper"}), vecOrder);
}
