#include "TraceGateBench.h"

#include <vector>

#include "BenchClock.h"
#include "diag/Trace.h"

namespace {

const int SITES = 20000000;
volatile int g_iSink = 0;   // keeps the loops from being optimised away

double EmptyLoop()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < SITES; ++i)
        g_iSink = i;
    return SecondsSince(liStart) / SITES;
}

double LoopWithTraceSite()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < SITES; ++i)
    {
        g_iSink = i;
        WriteTrace(3, L"Func.Bench.Var.i %d", i);
    }
    return SecondsSince(liStart) / SITES;
}

} // namespace

void MeasureTraceGate(int _iRounds, double* _pdEmpty, double* _pdSite)
{
    g_dwGlobalDebugLevel = 0;
    std::vector<double> vecEmpty, vecSite;
    for (int iRound = 0; iRound < _iRounds; ++iRound)
    {
        vecEmpty.push_back(EmptyLoop());
        vecSite.push_back(LoopWithTraceSite());
    }
    *_pdEmpty = Median(vecEmpty);
    *_pdSite = Median(vecSite);
}
