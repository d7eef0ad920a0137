#include "TraceGateBench.h"

#include <vector>

#include "BenchClock.h"
#include "diag/Trace.h"

namespace {

// Many short loops rather than a few long ones: on a busy machine a long loop is cut by other
// processes, while the median of short ones is not.
const int ITERATIONS = 160000;
const int UNROLLED = 16;        // sites (or stores) per iteration of the unrolled loops
const int ROUNDS = 401;
volatile int g_iSink = 0;   // keeps the loops from being optimised away

#define TVR_STORE g_iSink = i;
#define TVR_SITE                                  \
    g_iSink = i;                                  \
    WriteTrace(3, L"Func.Bench.Var.i %d", i);
#define TVR_TIMES16(x) x x x x x x x x x x x x x x x x

double EmptyLoop()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < ITERATIONS; ++i)
        g_iSink = i;
    return SecondsSince(liStart) / ITERATIONS;
}

double LoopWithTraceSite()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < ITERATIONS; ++i)
    {
        TVR_SITE
    }
    return SecondsSince(liStart) / ITERATIONS;
}

double UnrolledStores()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < ITERATIONS / UNROLLED; ++i)
    {
        TVR_TIMES16(TVR_STORE)
    }
    return SecondsSince(liStart) / ITERATIONS;
}

double UnrolledSites()
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < ITERATIONS / UNROLLED; ++i)
    {
        TVR_TIMES16(TVR_SITE)
    }
    return SecondsSince(liStart) / ITERATIONS;
}

} // namespace

void MeasureTraceGate(STraceGate* _pGate)
{
    g_dwGlobalDebugLevel = 0;
    std::vector<double> vecEmpty, vecSite, vecRatio, vecAdded;
    for (int iRound = 0; iRound < ROUNDS; ++iRound)
    {
        const double dEmpty = EmptyLoop();
        const double dSite = LoopWithTraceSite();
        vecEmpty.push_back(dEmpty);
        vecSite.push_back(dSite);
        vecRatio.push_back(dSite / dEmpty);
        const double dStores = UnrolledStores();
        vecAdded.push_back(UnrolledSites() - dStores);
    }
    _pGate->empty = Spread(vecEmpty);
    _pGate->site = Spread(vecSite);
    _pGate->ratio = Spread(vecRatio);
    _pGate->added = Spread(vecAdded);
}
