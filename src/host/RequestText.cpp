#include "host/RequestText.h"

#include "TelvarinPlugin.h"

namespace {

// "YYYY-MM-DD hh:mm:ss.mmm (": the time stamp every finished trace line begins with.
bool HasTimeStamp(const wchar_t* _pszLine, INT_PTR _iLength)
{
    static const wchar_t s_szShape[] = L"0000-00-00 00:00:00.000 (";
    const INT_PTR iShape = ARRAYSIZE(s_szShape) - 1;
    if (_iLength < iShape)
        return false;
    for (INT_PTR i = 0; i < iShape; ++i)
    {
        const bool bDigit = _pszLine[i] >= L'0' && _pszLine[i] <= L'9';
        if (s_szShape[i] == L'0' ? !bDigit : _pszLine[i] != s_szShape[i])
            return false;
    }
    return true;
}

} // namespace

bool IsPlausibleTraceLine(const wchar_t* _pszLine)
{
    const INT_PTR iLength = GetBusTextLength(_pszLine, TRACE_LINE_MAX_CHARS + 1);
    if (iLength <= 0 || !HasTimeStamp(_pszLine, iLength))
        return false;
    for (INT_PTR i = 0; i < iLength; ++i)
    {
        if (_pszLine[i] < L' ' && _pszLine[i] != L'\t')
            return false;
    }
    return true;
}

bool IsPlausibleRecordText(const wchar_t* _pszRecord)
{
    const INT_PTR iLength = GetBusTextLength(_pszRecord, RECORD_TEXT_MAX_CHARS + 1);
    const size_t cchHeader = wcslen(BUS_RECORD_HEADER);
    return iLength >= static_cast<INT_PTR>(cchHeader) && wcsncmp(_pszRecord, BUS_RECORD_HEADER, cchHeader) == 0;
}
