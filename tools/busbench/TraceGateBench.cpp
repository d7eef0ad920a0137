#include "TraceGateBench.h"

#include <vector>

#include "BenchClock.h"
#include "InstructionCount.h"
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

// The two loops as calls of their own, so that they can be timed and single-stepped alike.
__attribute__((noinline)) void RunEmptyLoop(int _iIterations)
{
    for (int i = 0; i < _iIterations; ++i)
        g_iSink = i;
}

__attribute__((noinline)) void RunLoopWithTraceSite(int _iIterations)
{
    for (int i = 0; i < _iIterations; ++i)
    {
        TVR_SITE
    }
}

double SecondsPerIteration(void (*_pfnLoop)(int))
{
    const LARGE_INTEGER liStart = BenchNow();
    _pfnLoop(ITERATIONS);
    return SecondsSince(liStart) / ITERATIONS;
}

// Instructions per iteration: the count of a longer run less that of a shorter one, which
// takes out the call's own.
double InstructionsPerIteration(void (*_pfnLoop)(int))
{
    const int SHORT_RUN = 100;
    const unsigned long long ullShort = CountInstructions(_pfnLoop, SHORT_RUN);
    const unsigned long long ullLong = CountInstructions(_pfnLoop, 2 * SHORT_RUN);
    if (ullShort == 0 || ullLong <= ullShort)
        return 0;
    return static_cast<double>(ullLong - ullShort) / SHORT_RUN;
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
        const double dEmpty = SecondsPerIteration(RunEmptyLoop);
        const double dSite = SecondsPerIteration(RunLoopWithTraceSite);
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
    _pGate->dEmptyInstructions = InstructionsPerIteration(RunEmptyLoop);
    _pGate->dSiteInstructions = InstructionsPerIteration(RunLoopWithTraceSite);
}
