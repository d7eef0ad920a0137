#include "FuzzRandom.h"

std::wstring CFuzzRandom::Text(size_t _cch)
{
    static const wchar_t s_szOdd[] = L"<>\"&/\\%\r\n\t=?\x00e9\x4e2d\xfffd\xd800";
    std::wstring strText(_cch, L' ');
    for (wchar_t& ch : strText)
    {
        if (Chance(20))
            ch = s_szOdd[Below(sizeof(s_szOdd) / sizeof(s_szOdd[0]) - 1)];
        else
            ch = static_cast<wchar_t>(L' ' + Below(95));
    }
    return strText;
}
