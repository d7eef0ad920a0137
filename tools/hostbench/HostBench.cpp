// Start, close, memory and idle figures of the host against the empty program with the
// same platform set-up, measured side by side in one run:
//  - start: from process creation to the host's status "OK" in its status report, and to
//    the empty program's window ("start <empty ms> <host ms>", medians of the runs);
//  - close: from WM_CLOSE to the end of the process ("close <host ms> <empty ms>");
//  - memory: private bytes of both, settled after the start ("memory <empty> <host>");
//  - idle: CPU time of both over the same idle period ("idle <seconds> <host s> <empty s>");
//  - the empty program with one idle thread, settled ("threadmemory <bytes>"): what one more
//    thread costs on this system.
//   hostbench HOST_EXE EMPTY_EXE [--runs N] [--idle SECONDS]
// HOST_EXE is a copy of the host named TVRCONFIG.exe, which keeps its status report in
// LOG\StatusReport.ini beside itself.
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "ProcessWatch.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t EMPTY_CLASS[] = L"TelvarinEmptyHost";
const wchar_t HOST_CLASS[] = L"Telvarin";
const DWORD START_TIMEOUT_MS = 30000;
const DWORD CLOSE_TIMEOUT_MS = 15000;
const DWORD SETTLE_MS = 2000;   // the plug-ins' after-load calls and the first trace lines are over

struct SOptions
{
    std::wstring strHost;
    std::wstring strEmpty;
    int iRuns = 3;
    int iIdleSeconds = 60;
};

struct SRun
{
    double dEmptyWindow = -1;
    double dHostOk = -1;
    double dHostClose = -1;
    double dEmptyClose = -1;
};

std::wstring StatusReportOf(const std::wstring& _strHost)
{
    return _strHost.substr(0, _strHost.find_last_of(L'\\')) + L"\\LOG\\StatusReport.ini";
}

bool IsStatusOk(const std::wstring& _strReport)
{
    wchar_t szStatus[32] = L"";
    GetPrivateProfileStringW(L"ProgramStatus", L"Status", L"", szStatus, ARRAYSIZE(szStatus), _strReport.c_str());
    return std::wcscmp(szStatus, L"OK") == 0;
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
    for (int i = 3; i + 1 < _iArgc; i += 2)
    {
        const int iValue = static_cast<int>(std::wcstol(_ppszArgv[i + 1], nullptr, 10));
        if (std::wcscmp(_ppszArgv[i], L"--runs") == 0 && iValue > 0)
            _pOptions->iRuns = iValue;
        else if (std::wcscmp(_ppszArgv[i], L"--idle") == 0 && iValue >= 0)
            _pOptions->iIdleSeconds = iValue;
    }
    return true;
}

// Both programs run at once: their memory, then their CPU time over the same idle period.
void MeasureSettled(const CProcessWatch& _host, const CProcessWatch& _empty, int _iIdleSeconds)
{
    Sleep(SETTLE_MS);
    std::printf("memory %llu %llu\n", static_cast<unsigned long long>(_empty.PrivateBytes()),
                static_cast<unsigned long long>(_host.PrivateBytes()));
    std::fflush(stdout);
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

SRun RunOnce(const SOptions& _options, bool _bSettled)
{
    SRun run;
    CProcessWatch empty;
    if (!empty.Start(_options.strEmpty))
        return run;
    run.dEmptyWindow = WaitFor(empty, [&empty] { return empty.FindWindowOfProcess(EMPTY_CLASS, 0) != nullptr; });

    const std::wstring strReport = StatusReportOf(_options.strHost);
    DeleteFileW(strReport.c_str());
    CProcessWatch host;
    if (host.Start(_options.strHost))
    {
        run.dHostOk = WaitFor(host, [&strReport] { return IsStatusOk(strReport); });
        if (_bSettled && run.dHostOk >= 0)
            MeasureSettled(host, empty, _options.iIdleSeconds);
        if (HWND hWnd = host.FindWindowOfProcess(HOST_CLASS, static_cast<LONG_PTR>(HOST_WINDOW_ID)))
            run.dHostClose = host.CloseAndWait(hWnd, CLOSE_TIMEOUT_MS);
        else
            TerminateProcess(host.Process(), 1);
    }
    run.dEmptyClose = CloseEmpty(empty);
    if (_bSettled)
        MeasureThreadedEmpty(_options.strEmpty);
    return run;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SOptions options;
    if (!ReadOptions(argc, argv, &options))
    {
        std::fputs("usage: hostbench HOST_EXE EMPTY_EXE [--runs N] [--idle SECONDS]\n", stderr);
        return 2;
    }
    std::vector<double> vecEmptyWindow, vecHostOk, vecHostClose, vecEmptyClose;
    for (int iRun = 0; iRun < options.iRuns; ++iRun)
    {
        const SRun run = RunOnce(options, iRun == options.iRuns - 1);
        std::printf("run %d %.1f %.1f %.1f %.1f\n", iRun + 1, run.dEmptyWindow * 1000, run.dHostOk * 1000,
                    run.dHostClose * 1000, run.dEmptyClose * 1000);
        std::fflush(stdout);
        vecEmptyWindow.push_back(run.dEmptyWindow);
        vecHostOk.push_back(run.dHostOk);
        vecHostClose.push_back(run.dHostClose);
        vecEmptyClose.push_back(run.dEmptyClose);
    }
    std::printf("start %.1f %.1f\n", Median(vecEmptyWindow) * 1000, Median(vecHostOk) * 1000);
    std::printf("close %.1f %.1f\n", Median(vecHostClose) * 1000, Median(vecEmptyClose) * 1000);
    std::fflush(stdout);
    return 0;
}
