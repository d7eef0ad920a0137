// Reproducible random numbers of one fuzzing run: the same seed gives the same messages.
#pragma once
#include <cstdint>
#include <random>
#include <string>
#include <vector>

class CFuzzRandom
{
public:
    explicit CFuzzRandom(uint64_t _ullSeed) : m_Engine(_ullSeed) {}

    uint64_t Next() { return m_Engine(); }
    // Uniform in [0, _ullBound); 0 when the bound is 0.
    uint64_t Below(uint64_t _ullBound) { return _ullBound ? m_Engine() % _ullBound : 0; }
    // True in about _uPercent of the calls.
    bool Chance(unsigned _uPercent) { return Below(100) < _uPercent; }
    template <typename T> const T& Pick(const std::vector<T>& _vecItems) { return _vecItems[Below(_vecItems.size())]; }
    // _cch characters drawn from printable ASCII, markup characters and a few others.
    std::wstring Text(size_t _cch);

private:
    std::mt19937_64 m_Engine;
};
