#include <gtest/gtest.h>
#include <windows.h>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "diag/CrashDump.h"
#include "diag/ExceptionGuard.h"
#include "TempFolder.h"

namespace {

const DWORD TEST_EXCEPTION = 0xE0000077;

SYSTEMTIME MakeTime(WORD _wYear, WORD _wMonth, WORD _wDay, WORD _wHour, WORD _wMinute, WORD _wSecond)
{
    SYSTEMTIME time = {};
    time.wYear = _wYear;
    time.wMonth = _wMonth;
    time.wDay = _wDay;
    time.wHour = _wHour;
    time.wMinute = _wMinute;
    time.wSecond = _wSecond;
    return time;
}

std::wstring DumpName(const std::wstring& _strProgram, const SYSTEMTIME& _time)
{
    wchar_t szName[600];
    BuildCrashDumpName(_strProgram.c_str(), _time, szName, ARRAYSIZE(szName));
    return szName;
}

std::string ReadHead(const std::wstring& _strFile)
{
    char achHead[4] = {};
    DWORD cbRead = 0;
    HANDLE hFile = CreateFileW(_strFile.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return "";
    ReadFile(hFile, achHead, sizeof(achHead), &cbRead, nullptr);
    CloseHandle(hFile);
    return std::string(achHead, cbRead);
}

SYSTEMTIME LocalTimeIn(int _iSeconds)
{
    FILETIME ft;
    GetSystemTimeAsFileTime(&ft);
    ULARGE_INTEGER value = {{ft.dwLowDateTime, ft.dwHighDateTime}};
    value.QuadPart += static_cast<ULONGLONG>(_iSeconds) * 10000000ULL;
    ft = {value.LowPart, value.HighPart};
    FILETIME local;
    FileTimeToLocalFileTime(&ft, &local);
    SYSTEMTIME time;
    FileTimeToSystemTime(&local, &time);
    return time;
}

LONG g_lDumpResult = 0;

LONG CALLBACK DumpOnTestException(EXCEPTION_POINTERS* _pExceptionPointers)
{
    if (_pExceptionPointers->ExceptionRecord->ExceptionCode != TEST_EXCEPTION)
        return EXCEPTION_CONTINUE_SEARCH;
    g_lDumpResult = WriteCrashDump(_pExceptionPointers, 0);   // MiniDumpNormal
    return EXCEPTION_CONTINUE_EXECUTION;
}

int ReturnSeven(void*)
{
    return 7;
}

int FaultingBody(void*)
{
    volatile int* piNowhere = nullptr;
    *piNowhere = 1;
    return 0;
}

// A guard inside the guarded body takes the fault; the outer body goes on.
int GuardingBody(void*)
{
    int iResult = 0;
    return TryGuarded(FaultingBody, nullptr, nullptr, &iResult) ? 1 : 3;
}

LONG WINAPI ForeignFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    fprintf(stderr, "foreign filter saw 0x%08lX\n",
            static_cast<unsigned long>(_pExceptionPointers->ExceptionRecord->ExceptionCode));
    fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

LONG ReportingFilter(EXCEPTION_POINTERS* _pExceptionPointers, void*)
{
    fprintf(stderr, "filter saw 0x%08lX\n", static_cast<unsigned long>(_pExceptionPointers->ExceptionRecord->ExceptionCode));
    fflush(stderr);
    return EXCEPTION_EXECUTE_HANDLER;
}

// A plug-in replaces the process's filter, then faults under a guard of its own; after it,
// the guard's exit runs inside the outer guard.
int FilterReplacingBody(void*)
{
    SetUnhandledExceptionFilter(ForeignFilter);
    if (!TryGuarded(FaultingBody, ReportingFilter, nullptr, nullptr))
        RaiseGuardExit();
    return 0;
}

// On 64-bit a C++ exception travels the same frame handlers as a fault.
int CatchingBody(void*)
{
    try
    {
        throw std::runtime_error("handled below the guard");
    }
    catch (const std::runtime_error&)
    {
        return 5;
    }
}

struct SFilterSeen
{
    int iCalls = 0;
    DWORD dwCode = 0;
};

LONG CountingFilter(EXCEPTION_POINTERS* _pExceptionPointers, void* _pSeen)
{
    auto* pSeen = static_cast<SFilterSeen*>(_pSeen);
    ++pSeen->iCalls;
    pSeen->dwCode = _pExceptionPointers->ExceptionRecord->ExceptionCode;
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

TEST(CrashDumpName, ProgramPathWithoutExtensionThenLocalTime)
{
    EXPECT_EQ(L"C:\\Prog\\host._CRASHDUMP_20261207_101530.DMP",
              DumpName(L"C:\\Prog\\host.exe", MakeTime(2026, 12, 7, 10, 15, 30)));
    EXPECT_EQ(L"C:\\Telvarin._CRASHDUMP_20010203_040506.DMP",
              DumpName(L"C:\\Telvarin.EXE", MakeTime(2001, 2, 3, 4, 5, 6)));
    // Three characters go whatever they are; a shorter name leaves nothing of itself.
    EXPECT_EQ(L"C:\\a_CRASHDUMP_20260101_000000.DMP", DumpName(L"C:\\abcd", MakeTime(2026, 1, 1, 0, 0, 0)));
    EXPECT_EQ(L"_CRASHDUMP_20260101_000000.DMP", DumpName(L"ab", MakeTime(2026, 1, 1, 0, 0, 0)));
    // A name that does not fit is left empty rather than cut.
    wchar_t szShort[20] = L"junk";
    BuildCrashDumpName(L"C:\\Prog\\host.exe", MakeTime(2026, 12, 7, 10, 15, 30), szShort, ARRAYSIZE(szShort));
    EXPECT_STREQ(L"", szShort);
}

TEST(CrashDumpName, HangDumpIsNamedLikeACrashDump)
{
    wchar_t szName[600];
    BuildCrashDumpName(L"C:\\Prog\\host.exe", MakeTime(2026, 12, 7, 10, 15, 30), szName, ARRAYSIZE(szName),
                       EDumpKind::Hang);
    EXPECT_STREQ(L"C:\\Prog\\host._HANGDUMP_20261207_101530.DMP", szName);
}

TEST(CrashDump, WritesMinidumpReplacingAFileOfTheSameSecond)
{
    wchar_t szProgram[MAX_PATH];
    GetModuleFileNameW(nullptr, szProgram, MAX_PATH);
    // Files of the coming seconds stand for earlier dumps; the dump must replace one of them.
    // Under Wine on a loaded machine the dump has begun seconds after the exception: the files
    // cover the next minute.
    std::vector<std::wstring> vecNames;
    for (int iSecond = 0; iSecond < 60; ++iSecond)
    {
        vecNames.push_back(DumpName(szProgram, LocalTimeIn(iSecond)));
        HANDLE hFile = CreateFileW(vecNames.back().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        ASSERT_NE(INVALID_HANDLE_VALUE, hFile);
        DWORD cbWritten = 0;
        WriteFile(hFile, "old!", 4, &cbWritten, nullptr);
        CloseHandle(hFile);
    }
    PVOID pHandler = AddVectoredExceptionHandler(1, DumpOnTestException);
    RaiseException(TEST_EXCEPTION, 0, 0, nullptr);
    RemoveVectoredExceptionHandler(pHandler);

    EXPECT_EQ(EXCEPTION_EXECUTE_HANDLER, g_lDumpResult);
    int iDumps = 0;
    for (const std::wstring& strName : vecNames)
    {
        const std::string strHead = ReadHead(strName);
        EXPECT_TRUE(strHead == "MDMP" || strHead == "old!") << strHead;
        iDumps += strHead == "MDMP" ? 1 : 0;
        DeleteFileW(strName.c_str());
    }
    EXPECT_EQ(1, iDumps);
}

TEST(ExceptionGuard, ReturnsTheBodysResultAndRestoresTheFilter)
{
    LPTOP_LEVEL_EXCEPTION_FILTER pfnBefore = SetUnhandledExceptionFilter(nullptr);
    int iResult = 0;
    EXPECT_TRUE(TryGuarded(ReturnSeven, ReportingFilter, nullptr, &iResult));
    EXPECT_EQ(7, iResult);
    EXPECT_EQ(nullptr, SetUnhandledExceptionFilter(pfnBefore));
}

TEST(ExceptionGuard, FaultRunsTheFilterAtTheFaultThenUnwindsBackToTheGuard)
{
    SFilterSeen seen;
    int iResult = 0;
    EXPECT_FALSE(TryGuarded(FaultingBody, CountingFilter, &seen, &iResult));
    EXPECT_EQ(1, seen.iCalls);
    EXPECT_EQ(static_cast<DWORD>(EXCEPTION_ACCESS_VIOLATION), seen.dwCode);
    // The thread goes on with a sound handler chain: guards nest and work again.
    EXPECT_TRUE(TryGuarded(GuardingBody, CountingFilter, &seen, &iResult));
    EXPECT_EQ(3, iResult);
    EXPECT_EQ(1, seen.iCalls);
    EXPECT_TRUE(TryGuarded(ReturnSeven, CountingFilter, &seen, &iResult));
    EXPECT_EQ(7, iResult);
}

TEST(ExceptionGuard, ExceptionHandledBelowTheGuardNeverReachesIt)
{
    SFilterSeen seen;
    int iResult = 0;
    EXPECT_TRUE(TryGuarded(CatchingBody, CountingFilter, &seen, &iResult));
    EXPECT_EQ(5, iResult);
    EXPECT_EQ(0, seen.iCalls);
}

TEST(ExceptionGuardDeathTest, GuardExitReachesTheForeignFilterAndEndsWithCodeOne)
{
    // The inner guard's filter runs first with the fault; the guard's own exception then
    // reaches the foreign filter, not the outer guard, and the process ends with its code.
    EXPECT_EXIT(TryGuarded(FilterReplacingBody, ReportingFilter, nullptr, nullptr), ::testing::ExitedWithCode(1),
                "filter saw 0xC0000005\nforeign filter saw 0x00000001");
}

// A program folder that takes no file (here one that does not exist; a read-only folder
// below Program Files acts the same) sends the dump to the fallback folder, made on demand.
TEST(CrashDump, GoesToTheFallbackFolderOnlyWhenTheProgramFolderRefusesIt)
{
    const tvr::CTempFolder folder;
    const std::wstring strFallback = folder.Child(L"LOG\\deeper");
    SetCrashDumpFallbackFolder(strFallback.c_str());
    const SYSTEMTIME time = MakeTime(2026, 12, 9, 6, 30, 0);
    const struct
    {
        std::wstring strProgram;
        std::wstring strExpected;
    } CASES[] = {
        {folder.Child(L"Telvarin.exe"), folder.Child(L"Telvarin._CRASHDUMP_20261209_063000.DMP")},
        {folder.Child(L"missing\\Telvarin.exe"), strFallback + L"\\Telvarin._CRASHDUMP_20261209_063000.DMP"},
    };
    for (const auto& test : CASES)
    {
        wchar_t szPath[600];
        const HANDLE hFile = CreateCrashDumpFile(test.strProgram.c_str(), time, szPath, ARRAYSIZE(szPath));
        EXPECT_NE(INVALID_HANDLE_VALUE, hFile);
        CloseHandle(hFile);
        EXPECT_EQ(test.strExpected, szPath);
        EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(test.strExpected.c_str()));
    }
    SetCrashDumpFallbackFolder(nullptr);
}
