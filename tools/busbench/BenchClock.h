// Timing for the benchmarks: the performance counter, and the median and spread of repeated
// rounds.
#pragma once
#include <windows.h>

#include <vector>

LARGE_INTEGER BenchNow();
// Seconds from _liStart until now.
double SecondsSince(LARGE_INTEGER _liStart);
// The median of the values (0 for none); the values are reordered.
double Median(std::vector<double>& _vecValues);

// How a figure spread over repeated rounds: median, quartiles (linear between the sorted
// values), smallest and largest value; all 0 for no values.
struct SSpread
{
    double dMedian = 0;
    double dLowQuartile = 0;
    double dHighQuartile = 0;
    double dMin = 0;
    double dMax = 0;
};
SSpread Spread(std::vector<double> _vecValues);

// Seconds per call of _fn, over _iCount calls.
template <typename Fn>
double TimePerCall(int _iCount, Fn _fn)
{
    const LARGE_INTEGER liStart = BenchNow();
    for (int i = 0; i < _iCount; ++i)
        _fn();
    return SecondsSince(liStart) / _iCount;
}
