#include "host/RequestText.h"

#include "TelvarinPlugin.h"

bool IsPlausibleTraceLine(const wchar_t* _pszLine)
{
    const INT_PTR iLength = GetBusTextLength(_pszLine, TRACE_LINE_MAX_CHARS + 1);
    if (iLength <= 0)
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
