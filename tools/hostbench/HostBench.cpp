// Start, close, memory and idle figures of the host against the empty program with the
// same platform set-up, measured side by side in one run:
//  - start: from process creation to the host's status "OK" in its status report, and to
//    the empty program's window ("start <empty ms> <host ms>", medians of the runs);
//  - close: from WM_CLOSE to the end of the process ("close <host ms> <empty ms>");
//  - memory: private bytes of both, settled after the start ("memory <empty> <host>");
//  - idle: CPU time of both over the same idle period ("idle <seconds> <host s> <empty s>");
//  - the empty program with one idle thread, settled ("threadmemory <bytes>"): what one more
//    thread costs on this system;
//  - the steps of the host's start, from the marks of the marking plug-in when the host has
//    it in its lists ("startstep <ms median> <min> <max> <fixed ms> <name>"), and the trace
//    lines the start-up report and the module reports posted ("startlines <report> <modules>"),
//    and the trace lines of the last start with their times ("startline <ms> <text>").
// Start and close are also printed with their spread ("<figure>spread <min> <max> ...").
// With --growth only start, close and memory are measured (no idle period, no thread).
//   hostbench HOST_EXE EMPTY_EXE [--runs N] [--idle SECONDS] [--growth]
// HOST_EXE is a copy of the host named TVRCONFIG.exe, which keeps its status report in
// LOG\StatusReport.ini beside itself.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "ProcessWatch.h"
#include "StartRecord.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t EMPTY_CLASS[] = L"TelvarinEmptyHost";
const wchar_t HOST_CLASS[] = L"Telvarin";
const DWORD START_TIMEOUT_MS = 300000;   // far beyond any start; a start this slow is a finding
const DWORD CLOSE_TIMEOUT_MS = 15000;
const DWORD SETTLE_MS = 2000;   // the plug-ins' after-load calls and the first trace lines are over
const DWORD MARKS_TIMEOUT_MS = 10000;   // the start's trace lines reach the plug-ins after "OK"

struct SOptions
{
    std::wstring strHost;
    std::wstring strEmpty;
    int iRuns = 3;
    int iIdleSeconds = 60;
    bool bGrowth = false;
};

// When the bench saw the host's main window, its last error "OK", its status "STARTING" and
// its status "OK" (seconds since the start; -1 when not seen).
struct SHostStart
{
    double dWindow = -1;
    double dLastError = -1;
    double dStarting = -1;
    double dOk = -1;
};

struct SRun
{
    double dEmptyWindow = -1;
    double dHostOk = -1;
    double dHostClose = -1;
    double dEmptyClose = -1;
    std::vector<SStartStep> vecSteps;
    int iReportLines = 0;
    int iModuleLines = 0;
};

std::wstring StatusReportOf(const std::wstring& _strHost)
{
    return _strHost.substr(0, _strHost.find_last_of(L'\\')) + L"\\LOG\\StatusReport.ini";
}

bool IsStatus(const std::wstring& _strReport, const wchar_t* _pszStatus)
{
    wchar_t szStatus[32] = L"";
    GetPrivateProfileStringW(L"ProgramStatus", L"Status", L"", szStatus, ARRAYSIZE(szStatus), _strReport.c_str());
    return std::wcscmp(szStatus, _pszStatus) == 0;
}

bool IsStatusOk(const std::wstring& _strReport)
{
    return IsStatus(_strReport, L"OK");
}

// The first entry of the start: the last error "OK", written once the start decision is made.
bool HasLastErrorOk(const std::wstring& _strReport)
{
    wchar_t szError[32] = L"";
    GetPrivateProfileStringW(L"LastError", L"Error", L"", szError, ARRAYSIZE(szError), _strReport.c_str());
    return std::wcscmp(szError, L"OK") == 0;
}

// Polls every millisecond until the test holds; the seconds since the start, or -1.
template <typename Test>
double WaitFor(const CProcessWatch& _process, Test _test)
{
    while (_process.Elapsed() * 1000 < START_TIMEOUT_MS)
    {
        if (_test())
            return _process.Elapsed();
        if (WaitForSingleObject(_process.Process(), 1) == WAIT_OBJECT_0)
            return -1;
    }
    return -1;
}

bool ReadOptions(int _iArgc, wchar_t** _ppszArgv, SOptions* _pOptions)
{
    if (_iArgc < 3)
        return false;
    _pOptions->strHost = _ppszArgv[1];
    _pOptions->strEmpty = _ppszArgv[2];
    for (int i = 3; i < _iArgc; ++i)
    {
        if (std::wcscmp(_ppszArgv[i], L"--growth") == 0)
        {
            _pOptions->bGrowth = true;
            continue;
        }
        if (i + 1 >= _iArgc)
            break;
        const int iValue = static_cast<int>(std::wcstol(_ppszArgv[i + 1], nullptr, 10));
        if (std::wcscmp(_ppszArgv[i], L"--runs") == 0 && iValue > 0)
            _pOptions->iRuns = iValue;
        else if (std::wcscmp(_ppszArgv[i], L"--idle") == 0 && iValue >= 0)
            _pOptions->iIdleSeconds = iValue;
        ++i;
    }
    return true;
}

// Both programs run at once: their memory, then their CPU time over the same idle period.
void MeasureSettled(const CProcessWatch& _host, const CProcessWatch& _empty, const SOptions& _options)
{
    Sleep(SETTLE_MS);
    std::printf("memory %llu %llu\n", static_cast<unsigned long long>(_empty.PrivateBytes()),
                static_cast<unsigned long long>(_host.PrivateBytes()));
    std::fflush(stdout);
    if (_options.bGrowth)
        return;
    const int _iIdleSeconds = _options.iIdleSeconds;
    const double dHostBefore = _host.CpuSeconds();
    const double dEmptyBefore = _empty.CpuSeconds();
    Sleep(static_cast<DWORD>(_iIdleSeconds) * 1000);
    std::printf("idle %d %.4f %.4f\n", _iIdleSeconds, _host.CpuSeconds() - dHostBefore,
                _empty.CpuSeconds() - dEmptyBefore);
    std::fflush(stdout);
}

// Closes the empty program by its window (the seconds to its end), or ends it when it has
// none (-1).
double CloseEmpty(CProcessWatch& _empty)
{
    if (HWND hWnd = _empty.FindWindowOfProcess(EMPTY_CLASS, 0))
        return _empty.CloseAndWait(hWnd, CLOSE_TIMEOUT_MS);
    TerminateProcess(_empty.Process(), 1);
    return -1;
}

void MeasureThreadedEmpty(const std::wstring& _strEmpty)
{
    CProcessWatch threaded;
    if (!threaded.Start(_strEmpty, L"--thread"))
        return;
    if (WaitFor(threaded, [&threaded] { return threaded.FindWindowOfProcess(EMPTY_CLASS, 0) != nullptr; }) >= 0)
    {
        Sleep(SETTLE_MS);
        std::printf("threadmemory %llu\n", static_cast<unsigned long long>(threaded.PrivateBytes()));
        std::fflush(stdout);
    }
    CloseEmpty(threaded);
}

// The host's main window, its last error "OK", its status "STARTING" and its status "OK":
// the seconds since the start of each (-1 when not seen).
void WaitForHostStart(const CProcessWatch& _host, const std::wstring& _strReport, SHostStart* _pStart)
{
    _pStart->dWindow = WaitFor(_host, [&_host, &_strReport] {
        return _host.FindWindowOfProcess(HOST_CLASS, static_cast<LONG_PTR>(HOST_WINDOW_ID)) != nullptr ||
               HasLastErrorOk(_strReport);
    });
    _pStart->dLastError = _pStart->dWindow < 0 ? -1 : WaitFor(_host, [&_strReport] {
        return HasLastErrorOk(_strReport);
    });
    _pStart->dStarting = _pStart->dLastError < 0 ? -1 : WaitFor(_host, [&_strReport] {
        return IsStatus(_strReport, L"STARTING") || IsStatusOk(_strReport);
    });
    _pStart->dOk = _pStart->dStarting < 0 ? -1 : WaitFor(_host, [&_strReport] { return IsStatusOk(_strReport); });
}

// The steps of the start, once the host's last start line has reached the marking plug-in.
void ReadStartSteps(const CProcessWatch& _host, const CStartMarks& _marks, const SHostStart& _start, SRun* _pRun)
{
    const DWORD dwUntil = GetTickCount() + MARKS_TIMEOUT_MS;
    while (!_marks.HasTrace(L"Func.CServiceWindow.End") && GetTickCount() < dwUntil)
        Sleep(10);
    _pRun->vecSteps = _marks.Steps(_host.StartCounter(), _host.StartTime(),
                                   {_start.dWindow * 1000, _start.dLastError * 1000, _start.dStarting * 1000,
                                    _start.dOk * 1000});
    if (_pRun->vecSteps.size() < REPORT_STEP + 2)
        return;
    double dReportFrom = 0;
    for (size_t i = 0; i < REPORT_STEP; ++i)
        dReportFrom += _pRun->vecSteps[i].dMs;
    const double dModulesFrom = dReportFrom + _pRun->vecSteps[REPORT_STEP].dMs;
    const double dModulesTo = dModulesFrom + _pRun->vecSteps[REPORT_STEP + 1].dMs;
    _pRun->iReportLines = _marks.CountTraces(_host.StartTime(), dReportFrom, dModulesFrom);
    _pRun->iModuleLines = _marks.CountTraces(_host.StartTime(), dModulesFrom, dModulesTo + 1);
}

SRun RunOnce(const SOptions& _options, CStartMarks& _marks, bool _bSettled)
{
    SRun run;
    CProcessWatch empty;
    if (!empty.Start(_options.strEmpty))
        return run;
    run.dEmptyWindow = WaitFor(empty, [&empty] { return empty.FindWindowOfProcess(EMPTY_CLASS, 0) != nullptr; });

    const std::wstring strReport = StatusReportOf(_options.strHost);
    DeleteFileW(strReport.c_str());
    CProcessWatch host;
    _marks.Clear();
    if (host.Start(_options.strHost))
    {
        SHostStart start;
        WaitForHostStart(host, strReport, &start);
        run.dHostOk = start.dOk;
        if (run.dHostOk >= 0)
            ReadStartSteps(host, _marks, start, &run);
        if (_bSettled)
            _marks.PrintTraceLines(host.StartTime());
        if (_bSettled && run.dHostOk >= 0)
            MeasureSettled(host, empty, _options);
        if (HWND hWnd = host.FindWindowOfProcess(HOST_CLASS, static_cast<LONG_PTR>(HOST_WINDOW_ID)))
            run.dHostClose = host.CloseAndWait(hWnd, CLOSE_TIMEOUT_MS);
        else
            TerminateProcess(host.Process(), 1);
    }
    run.dEmptyClose = CloseEmpty(empty);
    if (_bSettled && !_options.bGrowth)
        MeasureThreadedEmpty(_options.strEmpty);
    return run;
}


// Median, smallest and largest value of a figure over the runs, in milliseconds.
void PrintSpread(const char* _pszFigure, std::vector<double> _vecSeconds)
{
    for (double& dValue : _vecSeconds)
        dValue *= 1000;
    const SSpread spread = Spread(_vecSeconds);
    std::printf("%sspread %.1f %.1f %.1f\n", _pszFigure, spread.dMedian, spread.dMin, spread.dMax);
}

// Each step's median, smallest and largest milliseconds over the runs that have a record.
void PrintStartSteps(const std::vector<SRun>& _vecRuns)
{
    std::vector<const SRun*> vecRecorded;
    for (const SRun& run : _vecRuns)
    {
        if (!run.vecSteps.empty())
            vecRecorded.push_back(&run);
    }
    if (vecRecorded.empty())
        return;
    std::vector<double> vecReport, vecModules;
    for (size_t iStep = 0; iStep < vecRecorded[0]->vecSteps.size(); ++iStep)
    {
        std::vector<double> vecMs;
        for (const SRun* pRun : vecRecorded)
            vecMs.push_back(pRun->vecSteps[iStep].dMs);
        const SSpread spread = Spread(vecMs);
        const SStartStep& step = vecRecorded[0]->vecSteps[iStep];
        std::printf("startstep %.1f %.1f %.1f %.0f %s\n", spread.dMedian, spread.dMin, spread.dMax, step.dFixedMs,
                    step.pszName);
    }
    for (const SRun* pRun : vecRecorded)
    {
        vecReport.push_back(pRun->iReportLines);
        vecModules.push_back(pRun->iModuleLines);
    }
    std::printf("startlines %.0f %.0f\n", Median(vecReport), Median(vecModules));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SOptions options;
    if (!ReadOptions(argc, argv, &options))
    {
        std::fputs("usage: hostbench HOST_EXE EMPTY_EXE [--runs N] [--idle SECONDS] [--growth]\n", stderr);
        return 2;
    }
    CStartMarks marks;
    if (!marks.Create())
        std::printf("error the start marks could not be shared; no record of the start's steps\n");
    std::vector<SRun> vecRuns;
    std::vector<double> vecEmptyWindow, vecHostOk, vecHostClose, vecEmptyClose;
    for (int iRun = 0; iRun < options.iRuns; ++iRun)
    {
        const SRun run = RunOnce(options, marks, iRun == options.iRuns - 1);
        std::printf("run %d %.1f %.1f %.1f %.1f\n", iRun + 1, run.dEmptyWindow * 1000, run.dHostOk * 1000,
                    run.dHostClose * 1000, run.dEmptyClose * 1000);
        std::fflush(stdout);
        vecRuns.push_back(run);
        vecEmptyWindow.push_back(run.dEmptyWindow);
        vecHostOk.push_back(run.dHostOk);
        vecHostClose.push_back(run.dHostClose);
        vecEmptyClose.push_back(run.dEmptyClose);
    }
    std::printf("start %.1f %.1f\n", Median(vecEmptyWindow) * 1000, Median(vecHostOk) * 1000);
    std::printf("close %.1f %.1f\n", Median(vecHostClose) * 1000, Median(vecEmptyClose) * 1000);
    PrintSpread("emptystart", vecEmptyWindow);
    PrintSpread("hoststart", vecHostOk);
    PrintSpread("hostclose", vecHostClose);
    PrintStartSteps(vecRuns);
    std::fflush(stdout);
    return 0;
}
