// Timing for the benchmarks: the performance counter, and the median of repeated rounds.
#pragma once
#include <windows.h>

#include <vector>

LARGE_INTEGER BenchNow();
// Seconds from _liStart until now.
double SecondsSince(LARGE_INTEGER _liStart);
// The median of the values (0 for none); the values are reordered.
double Median(std::vector<double>& _vecValues);

// Seconds per call of _fn, over _iCount calls.
template <typename Fn>
double TimePerCall(int _iCount, Fn _fn)
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < _iCount; ++i)
        _fn();
    return SecondsSince(liStart) / _iCount;
}
