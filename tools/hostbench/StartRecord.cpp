#include "StartRecord.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

const double DEBUG_WAIT_MS = 250;     // the sleep after the lists are loaded
const double PUMP_WAIT_MS = 200;      // two rounds of pumping, each followed by 100 ms of sleep
const wchar_t LINE_CATEGORY[] = L" - MAIN.";

double CounterMs(LONGLONG _llCounter, LARGE_INTEGER _liStart)
{
    LARGE_INTEGER liFrequency;
    QueryPerformanceFrequency(&liFrequency);
    return static_cast<double>(_llCounter - _liStart.QuadPart) * 1000.0 / static_cast<double>(liFrequency.QuadPart);
}

// The text of a trace line after its prefix, or null.
const wchar_t* TraceText(const SStartMark& _mark)
{
    const wchar_t* pszCategory = wcsstr(_mark.szText, LINE_CATEGORY);
    return pszCategory ? pszCategory + ARRAYSIZE(LINE_CATEGORY) - 1 : nullptr;
}

bool IsTrace(const SStartMark& _mark, const wchar_t* _pszText)
{
    const wchar_t* pszText = _mark.lEvent == START_MARK_TRACE ? TraceText(_mark) : nullptr;
    return pszText != nullptr && wcsncmp(pszText, _pszText, wcslen(_pszText)) == 0;
}

} // namespace

double TraceLineMs(const wchar_t* _pszLine, FILETIME _ftStart)
{
    SYSTEMTIME st = {};
    int aiField[7] = {};
    if (swscanf(_pszLine, L"%d-%d-%d %d:%d:%d.%d", &aiField[0], &aiField[1], &aiField[2], &aiField[3], &aiField[4],
                &aiField[5], &aiField[6]) != 7)
        return -1;
    st.wYear = static_cast<WORD>(aiField[0]);
    st.wMonth = static_cast<WORD>(aiField[1]);
    st.wDay = static_cast<WORD>(aiField[2]);
    st.wHour = static_cast<WORD>(aiField[3]);
    st.wMinute = static_cast<WORD>(aiField[4]);
    st.wSecond = static_cast<WORD>(aiField[5]);
    st.wMilliseconds = static_cast<WORD>(aiField[6]);
    FILETIME ftLine;
    if (!SystemTimeToFileTime(&st, &ftLine))
        return -1;
    const auto ticks = [](FILETIME _ft) {
        return static_cast<double>((static_cast<ULONGLONG>(_ft.dwHighDateTime) << 32) | _ft.dwLowDateTime);
    };
    return (ticks(ftLine) - ticks(_ftStart)) / 10000.0 + 0.5;
}

CStartMarks::~CStartMarks()
{
    if (m_pMarks)
        UnmapViewOfFile(m_pMarks);
}

bool CStartMarks::Create()
{
    m_hMapping.Reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SStartMarks),
                                        START_MARKS_MAPPING));
    if (!m_hMapping)
        return false;
    m_pMarks = static_cast<SStartMarks*>(MapViewOfFile(m_hMapping.Get(), FILE_MAP_WRITE, 0, 0, sizeof(SStartMarks)));
    return m_pMarks != nullptr;
}

void CStartMarks::Clear()
{
    if (m_pMarks)
        InterlockedExchange(&m_pMarks->lCount, 0);
}

LONG CStartMarks::Count() const
{
    const LONG lCount = m_pMarks ? m_pMarks->lCount : 0;
    return std::min(lCount, START_MARKS_MAX);
}

void CStartMarks::PrintTraceLines(FILETIME _ftStart) const
{
    const LONG lCount = Count();
    for (LONG i = 0; i < lCount; ++i)
    {
        const SStartMark& mark = m_pMarks->aMarks[i];
        const wchar_t* pszText = mark.lEvent == START_MARK_TRACE ? TraceText(mark) : nullptr;
        if (pszText != nullptr)
            std::printf("startline %.1f %ls\n", TraceLineMs(mark.szText, _ftStart), pszText);
    }
}

bool CStartMarks::HasTrace(const wchar_t* _pszText) const
{
    const LONG lCount = Count();
    for (LONG i = 0; i < lCount; ++i)
    {
        if (IsTrace(m_pMarks->aMarks[i], _pszText))
            return true;
    }
    return false;
}

int CStartMarks::CountTraces(FILETIME _ftStart, double _dFromMs, double _dToMs) const
{
    const LONG lCount = Count();
    int iLines = 0;
    for (LONG i = 0; i < lCount; ++i)
    {
        const SStartMark& mark = m_pMarks->aMarks[i];
        const double dMs = mark.lEvent == START_MARK_TRACE ? TraceLineMs(mark.szText, _ftStart) : -1;
        iLines += dMs >= _dFromMs && dMs < _dToMs ? 1 : 0;
    }
    return iLines;
}

std::vector<SStartStep> CStartMarks::Steps(LARGE_INTEGER _liStart, FILETIME _ftStart, const SSeenStart& _seen) const
{
    double dAttach = -1, dDebugAfterLoad = -1, dLastAfterLoad = -1;
    double dBegin = -1, dModules = -1, dSystemEnd = -1, dEnd = -1;
    const LONG lCount = Count();
    for (LONG i = 0; i < lCount; ++i)
    {
        const SStartMark& mark = m_pMarks->aMarks[i];
        const double dMs = CounterMs(mark.llCounter, _liStart);
        if (mark.lEvent == START_MARK_ATTACH && dAttach < 0)
            dAttach = dMs;
        else if (mark.lEvent == START_MARK_AFTERLOAD && wcscmp(mark.szText, L"PluginDebug") == 0 && dDebugAfterLoad < 0)
            dDebugAfterLoad = dMs;
        else if (mark.lEvent == START_MARK_AFTERLOAD && wcscmp(mark.szText, L"PluginDebug") != 0 && dLastAfterLoad < 0)
            dLastAfterLoad = dMs;   // the first of the five; the last follows below
        if (mark.lEvent == START_MARK_AFTERLOAD && wcscmp(mark.szText, L"PluginTelephony") == 0)
            dLastAfterLoad = dMs;
        const double dLine = mark.lEvent == START_MARK_TRACE ? TraceLineMs(mark.szText, _ftStart) : -1;
        if (IsTrace(mark, L"Func.CServiceWindow.Begin") && dBegin < 0)
            dBegin = dLine;
        else if (IsTrace(mark, L"Func.PrintFileInfos.Begin") && dModules < 0)
            dModules = dLine;
        else if (IsTrace(mark, L"Func.PrintSystemInfoFile.End") && dSystemEnd < 0)
            dSystemEnd = dLine;
        else if (IsTrace(mark, L"Func.CServiceWindow.End") && dEnd < 0)
            dEnd = dLine;
    }
    if (dAttach < 0 || dDebugAfterLoad < 0 || dLastAfterLoad < 0 || dBegin < 0 || dModules < 0 || dSystemEnd < 0 ||
        dEnd < 0 || _seen.dWindowMs < 0 || _seen.dLastErrorMs < 0 || _seen.dStartingMs < 0)
        return {};
    const double dLoaded = dDebugAfterLoad - DEBUG_WAIT_MS;
    const double dPumped = dDebugAfterLoad + PUMP_WAIT_MS;
    return {
        {"entry set-up to the main window (polled)", _seen.dWindowMs, 0},
        {"start decision, last error \"OK\" (polled)", _seen.dLastErrorMs - _seen.dWindowMs, 0},
        {"status \"STARTING\" (polled)", _seen.dStartingMs - _seen.dLastErrorMs, 0},
        {"service status, tray icon", dAttach - _seen.dStartingMs, 0},
        {"six lists loaded", dLoaded - dAttach, 0},
        {"250 ms wait, debug after-load, 2 x 100 ms (fixed)", dPumped - dLoaded, DEBUG_WAIT_MS + PUMP_WAIT_MS},
        {"pumping, facts of the report, start-up report", dModules - dPumped, 0},
        {"module reports, system information", dSystemEnd - dModules, 0},
        {"after-load calls of the five other lists", dLastAfterLoad - dSystemEnd, 0},
        {"monitor thread, timers, version check, status OK", dEnd - dLastAfterLoad, 0},
        {"status OK seen by the bench (polling)", _seen.dOkMs - dEnd, 0},
    };
}
