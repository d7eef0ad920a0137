#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "diag/StatusLog.h"

namespace {

std::wstring ReadValue(const wchar_t* _pszFile, const wchar_t* _pszSection, const wchar_t* _pszKey)
{
    wchar_t szValue[1024] = L"";
    GetPrivateProfileStringW(_pszSection, _pszKey, L"<missing>", szValue, ARRAYSIZE(szValue), _pszFile);
    return szValue;
}

std::string ReadBytes(const wchar_t* _pszFile)
{
    std::string strBytes;
    HANDLE hFile = CreateFileW(_pszFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                               nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return strBytes;
    char achBuffer[4096];
    DWORD cbRead = 0;
    while (ReadFile(hFile, achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
        strBytes.append(achBuffer, cbRead);
    CloseHandle(hFile);
    return strBytes;
}

// Both files lie beside the test program; one test owns them, so parallel runs cannot meet.
class StatusLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteFileW(m_Log.GetReportFile());
        DeleteFileW(m_Log.GetErrorLogFile());
    }
    void TearDown() override { SetUp(); }
    CStatusLog m_Log{1};
};

} // namespace

TEST_F(StatusLogTest, EntriesAndErrorLog)
{
    const wchar_t* pszReport = m_Log.GetReportFile();
    const wchar_t* pszErrorLog = m_Log.GetErrorLogFile();
    wchar_t szProgram[MAX_PATH];
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    const std::wstring strFolder(szProgram, wcsrchr(szProgram, L'\\') + 1);
    EXPECT_EQ(strFolder + L"StatusReport.ini", pszReport);
    EXPECT_EQ(strFolder + L"ErrorLog.txt", pszErrorLog);

    {
        SCOPED_TRACE("five keys; the second write leaves its value and its time");
        m_Log.WriteStatus(L"ProgramStatus", L"Status", L"%s", L"STARTING");
        const std::wstring strFirstTime = ReadValue(pszReport, L"ProgramStatus", L"Time");
        Sleep(1100);
        m_Log.WriteStatus(L"ProgramStatus", L"Status", L"%s", L"OK");
        EXPECT_EQ(L"OK", ReadValue(pszReport, L"ProgramStatus", L"Status"));
        const std::wstring strTime = ReadValue(pszReport, L"ProgramStatus", L"Time");
        EXPECT_NE(strFirstTime, strTime);
        SYSTEMTIME now;
        GetSystemTime(&now);
        wchar_t szDay[16];
        swprintf(szDay, 16, L"%04d-%02d-%02d ", now.wYear, now.wMonth, now.wDay);
        EXPECT_EQ(0u, strTime.find(szDay)) << strTime;
        EXPECT_EQ(23u, strTime.size()) << strTime;
        EXPECT_EQ(L" UTC", strTime.substr(19));

        wchar_t szUser[64];
        DWORD cchUser = 64;
        GetUserNameW(szUser, &cchUser);
        EXPECT_EQ(szUser, ReadValue(pszReport, L"ProgramStatus", L"User"));
        EXPECT_EQ(std::to_wstring(GetCurrentProcessId()), ReadValue(pszReport, L"ProgramStatus", L"ProcID"));
        EXPECT_NE(L"<missing>", ReadValue(pszReport, L"ProgramStatus", L"ProductName"));
    }
    {
        SCOPED_TRACE("values are stored verbatim and cut at 511 characters");
        m_Log.WriteStatus(L"PrgMsg", L"Command", L"%s", L"dial %s %d 100%");
        EXPECT_EQ(L"dial %s %d 100%", ReadValue(pszReport, L"PrgMsg", L"Command"));
        const std::wstring strLong(600, L'v');
        m_Log.WriteStatus(L"PrgMsg", L"Partner", L"%s", strLong.c_str());
        EXPECT_EQ(std::wstring(511, L'v'), ReadValue(pszReport, L"PrgMsg", L"Partner"));
        // Sections are separate: the earlier one keeps its entry.
        EXPECT_EQ(L"OK", ReadValue(pszReport, L"ProgramStatus", L"Status"));
    }
    {
        SCOPED_TRACE("only values with \".Error.\" reach the error log, unchanged and unseparated");
        m_Log.WriteStatus(L"ProgramStatus", L"Status", L"%s", L"ERROR");
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"Func.X.error.lower");
        EXPECT_EQ("", ReadBytes(pszErrorLog));
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"line Func.LoadAllModules.Error._tchdir failed");
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"second.Error.");
        EXPECT_EQ("line Func.LoadAllModules.Error._tchdir failedsecond.Error.", ReadBytes(pszErrorLog));
        EXPECT_EQ(L"second.Error.", ReadValue(pszReport, L"LastError", L"Error"));
    }
}
