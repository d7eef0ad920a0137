#include <gtest/gtest.h>
#include <windows.h>
#include <algorithm>
#include <cstdio>
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

// "a\0b\0\0" as "a,b".
std::wstring NameList(const wchar_t* _pszNames)
{
    std::wstring strList;
    for (const wchar_t* pszName = _pszNames; *pszName != L'\0'; pszName += wcslen(pszName) + 1)
        strList += (strList.empty() ? L"" : L",") + std::wstring(pszName);
    return strList;
}

// Both files lie beside the test program; one test owns them, so parallel runs cannot meet.
class StatusLogTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DeleteFileW(m_Log.GetReportFile());
        DeleteFileW(m_Log.GetErrorLogFile());
        DeleteFileW(m_Log.GetErrorLogOldFile());
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
        SCOPED_TRACE("only values with \".Error.\" reach the error log, one entry a line");
        m_Log.WriteStatus(L"ProgramStatus", L"Status", L"%s", L"ERROR");
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"Func.X.error.lower");
        EXPECT_EQ("", ReadBytes(pszErrorLog));
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"line Func.LoadAllModules.Error._tchdir failed");
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"second.Error.");
        EXPECT_EQ("line Func.LoadAllModules.Error._tchdir failed\r\nsecond.Error.\r\n", ReadBytes(pszErrorLog));
        EXPECT_EQ(L"second.Error.", ReadValue(pszReport, L"LastError", L"Error"));
    }
}

TEST_F(StatusLogTest, ControlCharactersInValuesBecomeBlanks)
{
    const wchar_t* pszReport = m_Log.GetReportFile();
    // A value from another process that tries to add a section and a key.
    m_Log.WriteStatus(L"PrgMsg", L"Command", L"%s", L"dial\r\n[AccInjected]\r\nForged=1");
    m_Log.WriteStatus(L"PrgMsg", L"Partner", L"%s", L"a\tb\x7F" L"c\x85" L"d\x2028" L"e\x2029" L"f\x1B" L"g\rh\ni");
    EXPECT_EQ(L"dial  [AccInjected]  Forged=1", ReadValue(pszReport, L"PrgMsg", L"Command"));
    EXPECT_EQ(L"a b c d e f g h i", ReadValue(pszReport, L"PrgMsg", L"Partner"));
    EXPECT_EQ(L"<missing>", ReadValue(pszReport, L"AccInjected", L"Forged"));

    wchar_t szSections[1024] = L"";
    GetPrivateProfileSectionNamesW(szSections, ARRAYSIZE(szSections), pszReport);
    EXPECT_EQ(L"PrgMsg", NameList(szSections));
    wchar_t szKeys[1024] = L"";
    GetPrivateProfileStringW(L"PrgMsg", nullptr, L"", szKeys, ARRAYSIZE(szKeys), pszReport);
    EXPECT_EQ(L"Time,User,ProductName,ProcID,Command,Partner", NameList(szKeys));

    // In the error log, too, an entry stays one line.
    m_Log.WriteStatus(L"LastError", L"Error", L"%s", L"Func.X.Error.one\r\nFunc.Y.Error.forged");
    EXPECT_EQ("Func.X.Error.one  Func.Y.Error.forged\r\n", ReadBytes(m_Log.GetErrorLogFile()));
}

TEST_F(StatusLogTest, ErrorLogKeepsOnePreviousGenerationBelowTheLimit)
{
    const size_t LIMIT = 256 * 1024;
    const int ENTRIES = 1200;   // about 2.3 times the limit in 500-byte lines
    std::string strLastEntry;
    for (int i = 0; i < ENTRIES; ++i)
    {
        wchar_t szEntry[600];
        swprintf(szEntry, ARRAYSIZE(szEntry), L"Func.Flood.Error.%05d %ls", i, std::wstring(476, L'x').c_str());
        m_Log.WriteStatus(L"LastError", L"Error", L"%s", szEntry);
        if (i == ENTRIES - 1)
            strLastEntry = std::string(szEntry, szEntry + wcslen(szEntry)) + "\r\n";
    }
    const std::string strLog = ReadBytes(m_Log.GetErrorLogFile());
    const std::string strOld = ReadBytes(m_Log.GetErrorLogOldFile());
    EXPECT_LE(strLog.size(), LIMIT);
    EXPECT_LE(strOld.size(), LIMIT);
    // The previous generation was full; nothing newer than it was lost.
    EXPECT_GT(strOld.size(), LIMIT - 600);
    ASSERT_GE(strLog.size(), strLastEntry.size());
    EXPECT_EQ(strLastEntry, strLog.substr(strLog.size() - strLastEntry.size()));
    const size_t uLines = static_cast<size_t>(std::count(strLog.begin(), strLog.end(), '\n') +
                                              std::count(strOld.begin(), strOld.end(), '\n'));
    const size_t uFirstKept = ENTRIES - uLines;
    char szFirst[32];
    snprintf(szFirst, sizeof(szFirst), "Func.Flood.Error.%05u ", static_cast<unsigned>(uFirstKept));
    EXPECT_EQ(0u, strOld.find(szFirst));
}

// One status entry is written as a whole section; the file must come out byte for byte as
// the five single profile writes in their order leave it, whatever the section held.
TEST_F(StatusLogTest, EntryLeavesTheFileOfSingleWrites)
{
    struct SCase
    {
        const char* pszName;
        const char* pszStart;   // nullptr: no file yet
        const wchar_t* pszSection;
        const wchar_t* pszKey;
        const wchar_t* pszValue;
    };
    const SCase CASES[] = {
        {"no file", nullptr, L"ProgramStatus", L"Status", L"STARTING"},
        {"new section after another", "[LastError]\r\nError=OK\r\n", L"ProgramStatus", L"Status", L"OK"},
        {"keys spelt otherwise keep their place, the rest stays",
         "[A]\r\nx=1\r\n[programstatus]\r\nstatus = old\r\nExtra=a=b\r\nPROCID=1\r\nuser=\r\n[B]\r\ny=2\r\n",
         L"ProgramStatus", L"Status", L"  OK"},
        {"the key is a stamp's", "[RunEnd]\r\nReason=x\r\n", L"RunEnd", L"time", L"late"},
        {"a line without '='", "[PrgMsg]\r\nLoose\r\nType=1\r\n", L"PrgMsg", L"Command", L"dial"},
        {"a key twice", "[PrgMsg]\r\nType=1\r\ntype=2\r\n", L"PrgMsg", L"Type", L"3"},
    };
    const std::wstring strSingle = std::wstring(m_Log.GetReportFile()) + L".single.ini";
    auto start = [](const wchar_t* _pszFile, const char* _pszBytes) {
        DeleteFileW(_pszFile);
        if (_pszBytes == nullptr)
            return;
        HANDLE hFile = CreateFileW(_pszFile, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD cbWritten = 0;
        WriteFile(hFile, _pszBytes, static_cast<DWORD>(strlen(_pszBytes)), &cbWritten, nullptr);
        CloseHandle(hFile);
    };
    for (const SCase& test : CASES)
    {
        SCOPED_TRACE(test.pszName);
        const wchar_t* pszReport = m_Log.GetReportFile();
        start(pszReport, test.pszStart);
        m_Log.WriteStatus(test.pszSection, test.pszKey, L"%s", test.pszValue);

        start(strSingle.c_str(), test.pszStart);
        for (const wchar_t* pszKey : {L"Time", L"User", L"ProductName", L"ProcID"})
        {
            const std::wstring strValue = ReadValue(pszReport, test.pszSection, pszKey);
            WritePrivateProfileStringW(test.pszSection, pszKey, strValue.c_str(), strSingle.c_str());
        }
        WritePrivateProfileStringW(test.pszSection, test.pszKey, test.pszValue, strSingle.c_str());
        EXPECT_EQ(ReadBytes(strSingle.c_str()), ReadBytes(pszReport));
    }
    DeleteFileW(strSingle.c_str());
}
