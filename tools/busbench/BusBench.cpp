// Measures the costs of the bus and of a trace site and prints them, one figure a line:
//  - the steps of one bus message, each timed alone ("step <name> <ns>");
//  - a bus message (PostBusRecord, the window procedure, six lists) against a bare posted
//    message, each pumped and dispatched before the next is posted, for 1, 8 and 32 no-op
//    plug-ins per list and records of 300, 4000 and 16000 characters, each pair measured
//    side by side in rounds whose medians are printed
//    ("bus <plug-ins> <characters> <bus ns> <post ns> <ratio>");
//  - the same pair for bursts: 500 messages posted before the queue is pumped
//    ("burst <plug-ins> <characters> <bus ns> <post ns> <ratio>");
//  - GetBusValue of "Text" on a 300-character record ("read <ns>");
//  - a trace site whose level is off against an empty loop iteration
//    ("trace <empty ns> <site ns> <ratio>").
//   busbench [--rounds N] [--messages N]
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "BenchWindow.h"
#include "BusPathSteps.h"
#include "NoopFolders.h"
#include "TraceGateBench.h"
#include "TelvarinPlugin.h"

namespace {

const int PLUGINS_PER_LIST[] = {1, 8, 32};
const size_t RECORD_CHARS[] = {300, 4000, 16000};
const int BURST = 500;   // messages in the queue at once, well below its limit of 10000
volatile int g_iSink = 0;   // keeps the timed reads from being optimised away

struct SOptions
{
    int iRounds = 5;
    int iMessages = 1000;   // per round and kind, a multiple of BURST
};

SOptions ReadOptions(int _iArgc, wchar_t** _ppszArgv)
{
    SOptions options;
    for (int i = 1; i + 1 < _iArgc; i += 2)
    {
        const int iValue = static_cast<int>(std::wcstol(_ppszArgv[i + 1], nullptr, 10));
        if (std::wcscmp(_ppszArgv[i], L"--rounds") == 0 && iValue > 0)
            options.iRounds = iValue;
        else if (std::wcscmp(_ppszArgv[i], L"--messages") == 0 && iValue >= BURST)
            options.iMessages = iValue / BURST * BURST;
    }
    return options;
}

// A trace record of exactly _cchRecord characters (its Text padded), as the host posts one.
std::wstring TraceRecord(size_t _cchRecord)
{
    const wchar_t szLine[] = L"2024-05-17 09:41:27.318 (  4312:  4316) - MAIN.Func.CPluginBase.Add.Param._pszFile ";
    auto build = [](const std::wstring& _strText) {
        std::vector<wchar_t> vecRecord(BUS_RECORD_CAPACITY);
        BusRecordBegin(vecRecord.data(), vecRecord.size());
        BusRecordAppend(vecRecord.data(), vecRecord.size(), BUS_FIELD_TYPE, QEL_BUSMSG_TRACE);
        BusRecordAppend(vecRecord.data(), vecRecord.size(), L" <value keyword=\"Level\">%u</value>\r\n", 3u);
        BusRecordAppend(vecRecord.data(), vecRecord.size(), L" <value keyword=\"Text\">%s</value>\r\n", _strText.c_str());
        BusRecordAppend(vecRecord.data(), vecRecord.size(), L" <value keyword=\"Thread\">%d</value>\r\n", 4316);
        BusRecordEnd(vecRecord.data(), vecRecord.size());
        return std::wstring(vecRecord.data());
    };
    const size_t cchFixed = build(szLine).size();
    const size_t cchPad = _cchRecord > cchFixed ? _cchRecord - cchFixed : 0;
    return build(szLine + std::wstring(cchPad, L'x'));
}

// Prints the median seconds per message of the bus and of a bare post, measured in
// alternating rounds, and their ratio.
void PrintBusAgainstPost(const char* _pszWhat, HWND _hWnd, int _iPlugins, size_t _cchRecord, int _iBatch,
                         const SOptions& _options)
{
    const std::wstring strRecord = TraceRecord(_cchRecord);
    std::vector<double> vecBus, vecPost;
    for (int iRound = 0; iRound < _options.iRounds; ++iRound)
    {
        vecPost.push_back(TimePostedMessages(_options.iMessages, _iBatch, PostBare, _hWnd, nullptr));
        vecBus.push_back(TimePostedMessages(_options.iMessages, _iBatch, PostBus, _hWnd, strRecord.c_str()));
    }
    const double dBus = Median(vecBus);
    const double dPost = Median(vecPost);
    std::printf("%s %d %u %.1f %.1f %.2f\n", _pszWhat, _iPlugins, static_cast<unsigned>(_cchRecord), dBus * 1e9,
                dPost * 1e9, dPost > 0 ? dBus / dPost : 0.0);
    std::fflush(stdout);
}

void PrintBusTable(HWND _hWnd, const SOptions& _options)
{
    for (const int iPlugins : PLUGINS_PER_LIST)
    {
        if (!LoadNoopPlugins(iPlugins))
        {
            std::printf("error no-op plug-ins could not be copied\n");
            return;
        }
        std::printf("loaded %d %d\n", iPlugins, CountLoadedModules());
        for (const size_t cchRecord : RECORD_CHARS)
            PrintBusAgainstPost("bus", _hWnd, iPlugins, cchRecord, 1, _options);
    }
}

void PrintReadCost()
{
    const std::wstring strRecord = TraceRecord(300);
    const double dRead = TimePerCall(200000, [&strRecord] { g_iSink += *GetBusValue(strRecord.c_str(), L"Text"); });
    std::printf("read %.1f\n", dRead * 1e9);
}

void PrintTraceGate(const SOptions& _options)
{
    double dEmpty = 0, dSite = 0;
    MeasureTraceGate(_options.iRounds, &dEmpty, &dSite);
    std::printf("trace %.3f %.3f %.2f\n", dEmpty * 1e9, dSite * 1e9, dEmpty > 0 ? dSite / dEmpty : 0.0);
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    const SOptions options = ReadOptions(argc, argv);
    HWND hWnd = CreateBenchWindow();
    if (!hWnd || !LoadNoopPlugins(1))
    {
        std::printf("error no window, or the no-op plug-ins could not be copied\n");
        std::fflush(stdout);
        _exit(1);
    }
    std::printf("bits %d\n", static_cast<int>(sizeof(void*) * 8));
    PrintBusPathSteps(hWnd, TraceRecord(300).c_str());
    std::fflush(stdout);
    PrintBusAgainstPost("burst", hWnd, 1, RECORD_CHARS[0], BURST, options);
    PrintBusTable(hWnd, options);
    PrintReadCost();
    PrintTraceGate(options);
    std::fflush(stdout);
    _exit(0);
}
