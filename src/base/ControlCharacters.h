// Texts that go into line-based stores (profile files, trace lines): a line break in them
// would start a forged key, section or line.
#pragma once
#include <windows.h>

// Line breaks and every other control character (C0, DEL, C1, and the Unicode line and
// paragraph separators) become blanks, in place.
inline void ReplaceControlCharacters(wchar_t* _pszText)
{
    for (wchar_t* pch = _pszText; *pch != L'\0'; ++pch)
    {
        if (*pch < 0x20 || (*pch >= 0x7F && *pch <= 0x9F) || *pch == 0x2028 || *pch == 0x2029)
            *pch = L' ';
    }
}
