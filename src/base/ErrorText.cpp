#include "base/ErrorText.h"

#include <strsafe.h>

void FormatErrorText(DWORD _dwError, wchar_t* _pszOut, size_t _cchOut)
{
    if (_cchOut == 0)
        return;
    _pszOut[0] = 0;
    const DWORD cchText = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, _dwError,
                                         0, _pszOut, static_cast<DWORD>(_cchOut), nullptr);
    if (cchText == 0)
    {
        StringCchPrintfW(_pszOut, _cchOut, L"Error %lu", _dwError);
        return;
    }
    // System texts end with "\r\n" (sometimes after a blank); the trace line is one line.
    size_t cchEnd = cchText < _cchOut ? cchText : _cchOut - 1;
    while (cchEnd > 0 && (_pszOut[cchEnd - 1] == L'\r' || _pszOut[cchEnd - 1] == L'\n' || _pszOut[cchEnd - 1] == L' '))
        --cchEnd;
    _pszOut[cchEnd] = 0;
}
