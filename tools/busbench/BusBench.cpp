// Measures the costs of the bus and of a trace site and prints them, one figure a line:
//  - the steps of one bus message, each timed alone ("step <name> <ns>");
//  - a bus message (PostBusRecord, the window procedure, six lists) against a bare posted
//    message, each pumped and dispatched before the next is posted, for 1, 8 and 32 no-op
//    plug-ins per list and records of 300, 4000 and 16000 characters, the two interleaved
//    message by message, in rounds whose medians and spread are printed ("bus ...", see
//    PrintBusAgainstPost);
//  - the bus path without the queue, the record sent to the window of this thread
//    ("direct ...", see PrintDirectPath);
//  - the same pair for bursts: 500 messages posted before the queue is pumped
//    ("burst <plug-ins> <characters> <bus ns> <post ns> <ratio>");
//  - the loading of the no-op plug-ins by the six lists, and by the loader alone
//    ("loaded <per list> <modules> <lists ms> <loader ms>");
//  - GetBusValue of "Text" on a 300-character record ("read <ns>");
//  - a trace site whose level is off against an empty loop iteration ("trace ...", see
//    PrintTraceGate).
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
#include "bus/BusRecord.h"

namespace {

const int PLUGINS_PER_LIST[] = {1, 8, 32};
const size_t RECORD_CHARS[] = {300, 4000, 16000};
const int BURST = 500;   // messages in the queue at once, well below its limit of 10000
volatile int g_iSink = 0;   // keeps the timed reads from being optimised away

const int DIRECT_CALLS = 500;   // bus messages sent without the queue, per round

struct SOptions
{
    int iRounds = 20;
    int iMessages = 250;   // pairs of a bus message and a bare post per round
};

SOptions ReadOptions(int _iArgc, wchar_t** _ppszArgv)
{
    SOptions options;
    for (int i = 1; i + 1 < _iArgc; i += 2)
    {
        const int iValue = static_cast<int>(std::wcstol(_ppszArgv[i + 1], nullptr, 10));
        if (std::wcscmp(_ppszArgv[i], L"--rounds") == 0 && iValue > 0)
            options.iRounds = iValue;
        else if (std::wcscmp(_ppszArgv[i], L"--messages") == 0)
            options.iMessages = iValue;
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
// alternating rounds of _iBatch messages, and their ratio (bursts).
void PrintBurst(HWND _hWnd, int _iPlugins, size_t _cchRecord, const SOptions& _options)
{
    const std::wstring strRecord = TraceRecord(_cchRecord);
    std::vector<double> vecBus, vecPost;
    for (int iRound = 0; iRound < _options.iRounds; ++iRound)
    {
        vecPost.push_back(TimePostedMessages(BURST * 2, BURST, PostBare, _hWnd, nullptr));
        vecBus.push_back(TimePostedMessages(BURST * 2, BURST, PostBus, _hWnd, strRecord.c_str()));
    }
    const double dBus = Median(vecBus);
    const double dPost = Median(vecPost);
    std::printf("burst %d %u %.1f %.1f %.2f\n", _iPlugins, static_cast<unsigned>(_cchRecord), dBus * 1e9,
                dPost * 1e9, dPost > 0 ? dBus / dPost : 0.0);
    std::fflush(stdout);
}

// Bus messages against bare posted messages, interleaved message by message: per round the
// median of each kind, their ratio and their difference (the bus's overhead); printed are
// the medians over the rounds and the spread of the ratio and of the overhead
// ("bus <plug-ins> <chars> <bus ns> <post ns> <ratio> <ratio q1> <q3> <min> <max>
//  <overhead ns> <q1> <q3>").
void PrintBusAgainstPost(HWND _hWnd, int _iPlugins, size_t _cchRecord, const SOptions& _options)
{
    const std::wstring strRecord = TraceRecord(_cchRecord);
    std::vector<double> vecBus, vecPost, vecRatio, vecOverhead;
    for (int iRound = 0; iRound < _options.iRounds; ++iRound)
    {
        std::vector<double> vecRoundBus, vecRoundPost;
        TimeMessagePairs(_options.iMessages, _hWnd, strRecord.c_str(), &vecRoundBus, &vecRoundPost);
        const double dBus = Median(vecRoundBus);
        const double dPost = Median(vecRoundPost);
        vecBus.push_back(dBus);
        vecPost.push_back(dPost);
        vecRatio.push_back(dPost > 0 ? dBus / dPost : 0.0);
        vecOverhead.push_back((dBus - dPost) * 1e9);
    }
    const SSpread ratio = Spread(vecRatio);
    const SSpread overhead = Spread(vecOverhead);
    std::printf("bus %d %u %.1f %.1f %.2f %.2f %.2f %.2f %.2f %.0f %.0f %.0f\n", _iPlugins,
                static_cast<unsigned>(_cchRecord), Median(vecBus) * 1e9, Median(vecPost) * 1e9, ratio.dMedian,
                ratio.dLowQuartile, ratio.dHighQuartile, ratio.dMin, ratio.dMax, overhead.dMedian,
                overhead.dLowQuartile, overhead.dHighQuartile);
    std::fflush(stdout);
}

// The bus path without the queue: the record sent to the window of this thread, which
// calls its procedure at once (the sender's probe, the block, its account, the six lists
// and the release), against a bare message sent the same way; each call timed alone, the
// two kinds alternating, so that the medians leave out the calls other processes cut
// ("direct <plug-ins> <chars> <bus ns> <bare ns> <overhead ns> <q1> <q3> <min> <max>",
// the overhead's spread over the rounds).
void PrintDirectPath(HWND _hWnd, int _iPlugins, size_t _cchRecord, const SOptions& _options)
{
    const std::wstring strRecord = TraceRecord(_cchRecord);
    const wchar_t* pszRecord = strRecord.c_str();
    auto timeOne = [](auto _fn) {
        const LARGE_INTEGER liStart = BenchNow();
        _fn();
        return SecondsSince(liStart);
    };
    std::vector<double> vecBus, vecBare, vecOverhead;
    for (int iRound = 0; iRound < _options.iRounds; ++iRound)
    {
        std::vector<double> vecRoundBus, vecRoundBare;
        for (int i = 0; i < DIRECT_CALLS; ++i)
        {
            vecRoundBare.push_back(timeOne([_hWnd] { SendMessageW(_hWnd, WM_BENCH, 0, 0); }));
            vecRoundBus.push_back(
                timeOne([_hWnd, pszRecord] { g_iSink += PostBusRecord(_hWnd, TRUE, QEL_BUSMSG_TRACE, pszRecord); }));
        }
        const double dBus = Median(vecRoundBus);
        const double dBare = Median(vecRoundBare);
        vecBus.push_back(dBus);
        vecBare.push_back(dBare);
        vecOverhead.push_back((dBus - dBare) * 1e9);
    }
    const SSpread overhead = Spread(vecOverhead);
    std::printf("direct %d %u %.1f %.1f %.0f %.0f %.0f %.0f %.0f\n", _iPlugins, static_cast<unsigned>(_cchRecord),
                Median(vecBus) * 1e9, Median(vecBare) * 1e9, overhead.dMedian, overhead.dLowQuartile,
                overhead.dHighQuartile, overhead.dMin, overhead.dMax);
    std::fflush(stdout);
}

void PrintBusTable(HWND _hWnd, const SOptions& _options)
{
    for (const int iPlugins : PLUGINS_PER_LIST)
    {
        double dLoad = 0, dRaw = 0;
        if (!LoadNoopPlugins(iPlugins, &dLoad, &dRaw))
        {
            std::printf("error no-op plug-ins could not be copied\n");
            return;
        }
        std::printf("loaded %d %d %.1f %.1f\n", iPlugins, CountLoadedModules(), dLoad * 1000, dRaw * 1000);
        for (const size_t cchRecord : RECORD_CHARS)
        {
            PrintBusAgainstPost(_hWnd, iPlugins, cchRecord, _options);
            PrintDirectPath(_hWnd, iPlugins, cchRecord, _options);
        }
    }
}

void PrintReadCost()
{
    const std::wstring strRecord = TraceRecord(300);
    const double dRead = TimePerCall(200000, [&strRecord] { g_iSink += *GetBusValue(strRecord.c_str(), L"Text"); });
    std::printf("read %.1f\n", dRead * 1e9);
}

// "trace <empty ns> <with a site ns> <ratio> <ratio q1> <ratio q3> <site adds ns> <q1> <q3>":
// medians of the short loops; the ratio's quartiles are those of the rounds. Then
// "trace-instructions <empty iteration> <iteration with a site>", counted by single-stepping.
void PrintTraceGate()
{
    STraceGate gate;
    MeasureTraceGate(&gate);
    std::printf("trace %.3f %.3f %.2f %.2f %.2f %.3f %.3f %.3f\n", gate.empty.dMedian * 1e9, gate.site.dMedian * 1e9,
                gate.ratio.dMedian, gate.ratio.dLowQuartile, gate.ratio.dHighQuartile, gate.added.dMedian * 1e9,
                gate.added.dLowQuartile * 1e9, gate.added.dHighQuartile * 1e9);
    std::printf("trace-instructions %.2f %.2f\n", gate.dEmptyInstructions, gate.dSiteInstructions);
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
    PrintBurst(hWnd, 1, RECORD_CHARS[0], options);
    PrintBusTable(hWnd, options);
    PrintReadCost();
    PrintTraceGate();
    std::fflush(stdout);
    _exit(0);
}
