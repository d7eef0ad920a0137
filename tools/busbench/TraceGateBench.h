// The cost of a trace site whose level is off, against an empty loop iteration.
#pragma once

// Median seconds per iteration, over _iRounds rounds, of an empty loop and of the same loop
// with a trace site of level 3 while the debug level is 0.
void MeasureTraceGate(int _iRounds, double* _pdEmpty, double* _pdSite);
