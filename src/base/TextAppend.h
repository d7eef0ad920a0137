// Bounded formatted append: what does not fit is cut and the text stays terminated.
#pragma once
#include <windows.h>
#include <strsafe.h>
#include <cstdarg>
#include <cwchar>

inline void AppendFormat(wchar_t* _pszText, size_t _cchText, const wchar_t* _pszFormat, ...)
{
    const size_t cchUsed = wcsnlen(_pszText, _cchText);
    if (cchUsed + 1 >= _cchText)
        return;
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(_pszText + cchUsed, _cchText - cchUsed, _pszFormat, args);
    va_end(args);
}
