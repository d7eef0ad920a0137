#include <gtest/gtest.h>
#include <windows.h>
#include <cwchar>
#include <string>
#include <thread>
#include <vector>

#include "TraceCaptureTest.h"

namespace {

using TraceTest = tvr::CTraceCaptureTest;

// The text after "MAIN."; empty when the line does not have the prefix shape.
std::wstring TextAfterPrefix(const std::wstring& _strLine, int* _piPid, int* _piTid, SYSTEMTIME* _pTime)
{
    SYSTEMTIME time = {};
    int aiField[7] = {};
    int iPid = 0, iTid = 0, cchPrefix = 0;
    if (swscanf(_strLine.c_str(), L"%4d-%2d-%2d %2d:%2d:%2d.%3d (%6d:%6d) - MAIN.%n", &aiField[0], &aiField[1],
                &aiField[2], &aiField[3], &aiField[4], &aiField[5], &aiField[6], &iPid, &iTid, &cchPrefix) != 9 ||
        cchPrefix == 0)
        return L"";
    time.wYear = static_cast<WORD>(aiField[0]);
    time.wMonth = static_cast<WORD>(aiField[1]);
    time.wDay = static_cast<WORD>(aiField[2]);
    time.wHour = static_cast<WORD>(aiField[3]);
    time.wMinute = static_cast<WORD>(aiField[4]);
    time.wSecond = static_cast<WORD>(aiField[5]);
    time.wMilliseconds = static_cast<WORD>(aiField[6]);
    *_piPid = iPid;
    *_piTid = iTid;
    *_pTime = time;
    return _strLine.substr(static_cast<size_t>(cchPrefix));
}

LONGLONG Ticks(const SYSTEMTIME& _time)
{
    FILETIME ft;
    SystemTimeToFileTime(&_time, &ft);
    return (static_cast<LONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

} // namespace

TEST_F(TraceTest, LineHasUtcPrefixIdsCategoryAndText)
{
    SYSTEMTIME before;
    GetSystemTime(&before);
    WriteTrace(0, L"Func.TraceTest.Var.m_iValue %d %s", 42, L"x");
    const auto vecRecords = Take();
    ASSERT_EQ(1u, vecRecords.size());
    EXPECT_EQ(static_cast<UINT>(QEL_BUSMSG_TRACE), vecRecords[0].uType);
    EXPECT_EQ(L"0", vecRecords[0].strLevel);
    EXPECT_EQ(std::to_wstring(GetCurrentThreadId()), vecRecords[0].strThread);

    const std::wstring& strLine = vecRecords[0].strText;
    int iPid = 0, iTid = 0;
    SYSTEMTIME time = {};
    EXPECT_EQ(L"Func.TraceTest.Var.m_iValue 42 x", TextAfterPrefix(strLine, &iPid, &iTid, &time)) << strLine;
    EXPECT_EQ(static_cast<int>(GetCurrentProcessId()), iPid);
    EXPECT_EQ(static_cast<int>(GetCurrentThreadId()), iTid);
    // Fixed widths: the ids are right-aligned in six places.
    EXPECT_EQ(L'(', strLine[24]);
    EXPECT_EQ(L':', strLine[31]);
    EXPECT_EQ(L")", strLine.substr(38, 1));
    // The system time (UTC), not the local time.
    const LONGLONG llOneMinute = 60LL * 10000000LL;
    EXPECT_LE(Ticks(before) - 10000, Ticks(time));
    EXPECT_LT(Ticks(time) - Ticks(before), llOneMinute);
}

TEST_F(TraceTest, GateByDebugLevel)
{
    // A gated line is not formatted at all: this argument would fault in the formatter.
    const wchar_t* pszUnreadable = reinterpret_cast<const wchar_t*>(static_cast<UINT_PTR>(16));
    WriteTrace(3, L"Func.LoadAllModules.Begin %s", pszUnreadable);
    WriteTrace(0, L"Func.PrintFileInfos.Begin");
    auto vecRecords = Take();
    ASSERT_EQ(1u, vecRecords.size());
    EXPECT_NE(std::wstring::npos, vecRecords[0].strText.find(L"MAIN.Func.PrintFileInfos.Begin"));

    g_dwGlobalDebugLevel = 3;
    WriteTrace(4, L"Event.TIMER_DEBUGSETTINGS.Begin");
    WriteTrace(3, L"Func.LoadAllModules.Begin");
    vecRecords = Take();
    ASSERT_EQ(1u, vecRecords.size());
    EXPECT_NE(std::wstring::npos, vecRecords[0].strText.find(L"MAIN.Func.LoadAllModules.Begin"));
    EXPECT_EQ(L"3", vecRecords[0].strLevel);

    g_dwGlobalDebugLevel = 4;
    WriteTrace(4, L"Event.TIMER_DEBUGSETTINGS.Begin");
    EXPECT_EQ(1u, Take().size());
}

TEST_F(TraceTest, LongTextIsCutTo8190Characters)
{
    const std::wstring strText(9000, L'x');
    WriteTrace(0, L"%s", strText.c_str());
    const auto vecRecords = Take();
    ASSERT_EQ(1u, vecRecords.size());
    const std::wstring& strLine = vecRecords[0].strText;
    EXPECT_EQ(8190u, strLine.size());
    EXPECT_EQ(L"MAIN.xxx", strLine.substr(strLine.find(L"MAIN."), 8));
    EXPECT_EQ(std::wstring::npos, strLine.find_first_not_of(L'x', strLine.find(L"MAIN.") + 5));
}

TEST_F(TraceTest, NothingWithoutMainWindow)
{
    g_hWndParent = nullptr;
    WriteTrace(0, L"Func.Early.Info.no window");
    // A post to no window would land in this thread's own queue.
    MSG msg;
    EXPECT_FALSE(PeekMessageW(&msg, reinterpret_cast<HWND>(-1), WM_QEL_BUS, WM_QEL_BUS, PM_NOREMOVE));

    const HWND hGone = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    DestroyWindow(hGone);
    g_hWndParent = hGone;
    WriteTrace(0, L"Func.Late.Info.window gone");
    EXPECT_FALSE(PeekMessageW(&msg, nullptr, WM_QEL_BUS, WM_QEL_BUS, PM_NOREMOVE));
}

TEST_F(TraceTest, ThreadsTracingAtOnceKeepTheirTexts)
{
    const int LINES = 150;
    auto writer = [LINES](wchar_t _chMark) {
        const std::wstring strText(3000, _chMark);
        for (int i = 0; i < LINES; ++i)
            WriteTrace(0, L"%c%d.%s", _chMark, i, strText.c_str());
    };
    std::thread first(writer, L'a');
    std::thread second(writer, L'b');
    first.join();
    second.join();

    const auto vecRecords = Take();
    ASSERT_EQ(2u * LINES, vecRecords.size());
    for (const tvr::PostedRecord& record : vecRecords)
    {
        int iPid = 0, iTid = 0;
        SYSTEMTIME time = {};
        const std::wstring strText = TextAfterPrefix(record.strText, &iPid, &iTid, &time);
        ASSERT_FALSE(strText.empty()) << record.strText.substr(0, 80);
        const wchar_t chMark = strText[0];
        const std::wstring strTail = strText.substr(strText.find(L'.') + 1);
        EXPECT_EQ(std::wstring(3000, chMark), strTail) << record.strText.substr(0, 80);
        EXPECT_EQ(std::to_wstring(iTid), record.strThread);
    }
}

TEST_F(TraceTest, FaultLinesAlsoBecomeTheLastError)
{
    WriteTrace(0, L"Func.LoadAllModules.Error._tchdir %s failed", L"C:\\x");
    const auto vecFault = Take();
    ASSERT_EQ(2u, vecFault.size());
    EXPECT_EQ(static_cast<UINT>(QEL_BUSMSG_TRACE), vecFault[0].uType);
    EXPECT_EQ(static_cast<UINT>(QEL_BUSMSG_LASTERROR), vecFault[1].uType);
    // The whole line, prefix included, is the last error.
    EXPECT_EQ(vecFault[0].strText, vecFault[1].strText);
    EXPECT_NE(std::wstring::npos, vecFault[1].strText.find(L"MAIN.Func.LoadAllModules.Error._tchdir C:\\x failed"));

    WriteTrace(0, L"Event.WM_QEL_CALLFUNCTION.Error.Address 0x10 outside");
    WriteTrace(0, L"Func.CPluginBase.Add.Error._tchdir failed");
    EXPECT_EQ(4u, Take().size());
}

TEST_F(TraceTest, OtherLinesAndNotesStayTraceLinesOnly)
{
    // ".Error." in the free text after the name, another case, no leading Func/Event word,
    // the kind word without its dots.
    WriteTrace(0, L"Func.LoadAllModules.Info.error ERROR .error. Error");
    WriteTrace(0, L"Func.CPluginBase.Add.Param._pszFile C:\\a.Error.dll");
    WriteTrace(0, L"Func.X.error.lower");
    WriteTrace(0, L"PLUGIN.Func.Dial.Error.busy");
    WriteTrace(0, L"Func.SetError.Begin");
    WriteTrace(0, L"Func.X.Error");
    // A line of the kind Error that records a state, not a fault.
    WriteTraceNote(0, L"Func.CServiceWindow.Error.Location %d;", 0);
    const auto vecRecords = Take();
    ASSERT_EQ(7u, vecRecords.size());
    for (const tvr::PostedRecord& record : vecRecords)
        EXPECT_EQ(static_cast<UINT>(QEL_BUSMSG_TRACE), record.uType) << record.strText;
    EXPECT_NE(std::wstring::npos, vecRecords[6].strText.find(L"MAIN.Func.CServiceWindow.Error.Location 0;"));

    // Notes keep the gate.
    WriteTraceNote(3, L"Func.X.Error.gated");
    EXPECT_TRUE(Take().empty());
}
