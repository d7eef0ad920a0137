#include "LogRetention.h"

#include <cwctype>

#include "base/Handle.h"

namespace {

const ULONGLONG FILETIME_PER_DAY = 864000000000ULL;

bool ReadDigits(const wchar_t* _psz, int _iCount, WORD* _pwValue)
{
    int iValue = 0;
    for (int i = 0; i < _iCount; ++i)
    {
        if (!std::iswdigit(_psz[i]))
            return false;
        iValue = iValue * 10 + (_psz[i] - L'0');
    }
    *_pwValue = static_cast<WORD>(iValue);
    return true;
}

} // namespace

LONGLONG DayNumber(const SYSTEMTIME& _stDate)
{
    SYSTEMTIME stDay = {};
    stDay.wYear = _stDate.wYear;
    stDay.wMonth = _stDate.wMonth;
    stDay.wDay = _stDate.wDay;
    FILETIME ft = {};
    if (!SystemTimeToFileTime(&stDay, &ft))
        return -1;
    const ULONGLONG ull = (static_cast<ULONGLONG>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return static_cast<LONGLONG>(ull / FILETIME_PER_DAY);
}

bool DayOfDailyFile(const wchar_t* _pszName, LONGLONG* _pllDay)
{
    // "Trace_" 6, "YYYY-MM-DD" 10, ".log" 4
    if (wcslen(_pszName) != 20 || _wcsnicmp(_pszName, L"Trace_", 6) != 0 || _wcsicmp(_pszName + 16, L".log") != 0 ||
        _pszName[10] != L'-' || _pszName[13] != L'-')
        return false;
    SYSTEMTIME st = {};
    if (!ReadDigits(_pszName + 6, 4, &st.wYear) || !ReadDigits(_pszName + 11, 2, &st.wMonth) ||
        !ReadDigits(_pszName + 14, 2, &st.wDay))
        return false;
    *_pllDay = DayNumber(st);   // SystemTimeToFileTime refuses 2026-02-30 and the like
    return *_pllDay >= 0;
}

int DeleteOldDailyFiles(const std::wstring& _strFolder, int _iKeepDays, const SYSTEMTIME& _stToday)
{
    const LONGLONG llToday = DayNumber(_stToday);
    if (llToday < 0 || _iKeepDays < 1)
        return 0;
    WIN32_FIND_DATAW found = {};
    CFindHandle hFind(FindFirstFileW((_strFolder + L"\\Trace_*.log").c_str(), &found));
    if (!hFind)
        return 0;
    int iDeleted = 0;
    do
    {
        LONGLONG llDay = 0;
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !DayOfDailyFile(found.cFileName, &llDay))
            continue;
        if (llDay <= llToday - _iKeepDays && DeleteFileW((_strFolder + L"\\" + found.cFileName).c_str()))
            ++iDeleted;
    } while (FindNextFileW(hFind.Get(), &found));
    return iDeleted;
}
