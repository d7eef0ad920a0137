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
