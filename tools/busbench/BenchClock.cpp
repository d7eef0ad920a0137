#include "BenchClock.h"

#include <algorithm>

LARGE_INTEGER BenchNow()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return li;
}

double SecondsSince(LARGE_INTEGER _liStart)
{
    LARGE_INTEGER liFrequency;
    QueryPerformanceFrequency(&liFrequency);
    const LARGE_INTEGER liNow = BenchNow();
    return static_cast<double>(liNow.QuadPart - _liStart.QuadPart) / static_cast<double>(liFrequency.QuadPart);
}

double Median(std::vector<double>& _vecValues)
{
    if (_vecValues.empty())
        return 0;
    const size_t uMiddle = _vecValues.size() / 2;
    std::nth_element(_vecValues.begin(), _vecValues.begin() + uMiddle, _vecValues.end());
    return _vecValues[uMiddle];
}

namespace {

// The value at fraction _dAt of the sorted values, linear between neighbours.
double SortedQuantile(const std::vector<double>& _vecSorted, double _dAt)
{
    const double dPosition = _dAt * static_cast<double>(_vecSorted.size() - 1);
    const size_t uBelow = static_cast<size_t>(dPosition);
    const size_t uAbove = std::min(uBelow + 1, _vecSorted.size() - 1);
    const double dPart = dPosition - static_cast<double>(uBelow);
    return _vecSorted[uBelow] + (_vecSorted[uAbove] - _vecSorted[uBelow]) * dPart;
}

} // namespace

SSpread Spread(std::vector<double> _vecValues)
{
    SSpread spread;
    if (_vecValues.empty())
        return spread;
    std::sort(_vecValues.begin(), _vecValues.end());
    spread.dMedian = SortedQuantile(_vecValues, 0.5);
    spread.dLowQuartile = SortedQuantile(_vecValues, 0.25);
    spread.dHighQuartile = SortedQuantile(_vecValues, 0.75);
    spread.dMin = _vecValues.front();
    spread.dMax = _vecValues.back();
    return spread;
}
