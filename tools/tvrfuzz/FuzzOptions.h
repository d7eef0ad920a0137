// Command line of tvrfuzz.
#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include <vector>

class CFuzzOptions
{
public:
    // False (and a message on stderr) for an unknown or incomplete switch.
    bool Parse(int _argc, wchar_t** _argv);
    static void PrintUsage();

    uint64_t m_ullSeed = 1;
    unsigned m_uCount = 1000;            // messages per category
    std::vector<std::wstring> m_vecCategories;
    DWORD m_dwPid = 0;                   // 0: the first host window found
    bool m_bRestart = false;             // start the host again after it ended or hung for good
    DWORD m_dwTimeLimitSeconds = 0;      // 0: none
};

// Names of every category in the order "all" runs them.
const std::vector<std::wstring>& AllCategoryNames();
