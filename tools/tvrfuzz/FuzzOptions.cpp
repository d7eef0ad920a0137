#include "FuzzOptions.h"

#include <cstdio>
#include <cwchar>

const std::vector<std::wstring>& AllCategoryNames()
{
    static const std::vector<std::wstring> s_vecNames = {
        L"random", L"hostmsg", L"records", L"bustypes", L"hostcmd", L"sharedmem", L"burst", L"lifecycle", L"codeheap", L"windows",
        L"cmdflood"};
    return s_vecNames;
}

void CFuzzOptions::PrintUsage()
{
    std::fputs("usage: tvrfuzz [--seed N] [--count N] [--category NAME|all] [--pid N] [--restart] [--time-limit S]\n"
               "categories: random hostmsg records bustypes hostcmd sharedmem burst lifecycle codeheap windows cmdflood\n"
               "exit code 0: no crash, no hang, no unwanted effect; 1: faults found; 2: usage or no host;\n"
               "3: the time limit ended the run early\n",
               stderr);
}

bool CFuzzOptions::Parse(int _argc, wchar_t** _argv)
{
    for (int i = 1; i < _argc; ++i)
    {
        const std::wstring strSwitch = _argv[i];
        if (strSwitch == L"--restart")
        {
            m_bRestart = true;
            continue;
        }
        if (i + 1 >= _argc)
            return false;
        const wchar_t* pszValue = _argv[++i];
        if (strSwitch == L"--seed")
            m_ullSeed = std::wcstoull(pszValue, nullptr, 10);
        else if (strSwitch == L"--count")
            m_uCount = static_cast<unsigned>(std::wcstoul(pszValue, nullptr, 10));
        else if (strSwitch == L"--pid")
            m_dwPid = static_cast<DWORD>(std::wcstoul(pszValue, nullptr, 10));
        else if (strSwitch == L"--time-limit")
            m_dwTimeLimitSeconds = static_cast<DWORD>(std::wcstoul(pszValue, nullptr, 10));
        else if (strSwitch == L"--category")
        {
            if (std::wstring(pszValue) == L"all")
                m_vecCategories = AllCategoryNames();
            else
                m_vecCategories.push_back(pszValue);
        }
        else
            return false;
    }
    if (m_vecCategories.empty())
        m_vecCategories = AllCategoryNames();
    for (const std::wstring& strName : m_vecCategories)
    {
        bool bKnown = false;
        for (const std::wstring& strKnown : AllCategoryNames())
            bKnown = bKnown || strKnown == strName;
        if (!bKnown)
            return false;
    }
    return true;
}
