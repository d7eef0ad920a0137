// The cost of a trace site whose level is off, against an empty loop iteration.
#pragma once

#include "BenchClock.h"

// Seconds per iteration of an empty loop (one store) and of the same loop with a trace site
// of level 3 while the debug level is 0, their ratio per round, and what a site adds in
// straight code: the difference between a loop of 16 sites, each after a store, and the
// same loop with the stores alone, per site. The medians of many short loops
// of each kind, interleaved, so that a fraction of a nanosecond is measured rather than
// read from one loop that other processes cut. Beside the times, the instructions each
// iteration executes, counted by single-stepping: the same on every run.
struct STraceGate
{
    SSpread empty;
    SSpread site;
    SSpread ratio;
    SSpread added;
    double dEmptyInstructions = 0;
    double dSiteInstructions = 0;
};
void MeasureTraceGate(STraceGate* _pGate);
