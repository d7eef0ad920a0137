#include "TraceSettings.h"

#include <cwchar>

namespace {

// The stored number (leading digits, as a profile read takes them); -1 for an empty text or
// a number outside 0..KEEP_DAYS_MAX, the largest either setting keeps.
int ParseNumber(const wchar_t* _pszText)
{
    if (_pszText == nullptr || _pszText[0] == L'\0')
        return -1;
    const long lValue = std::wcstol(_pszText, nullptr, 10);
    return lValue < 0 || lValue > KEEP_DAYS_MAX ? -1 : static_cast<int>(lValue);
}

}   // namespace

STraceSettings ClampTraceSettings(STraceSettings _settings)
{
    if (_settings.iLevel < 0 || _settings.iLevel > TRACE_LEVEL_MAX)
        _settings.iLevel = TRACE_LEVEL_NONE;
    if (_settings.iKeepDays < 1)
        _settings.iKeepDays = 1;
    if (_settings.iKeepDays > KEEP_DAYS_MAX)
        _settings.iKeepDays = KEEP_DAYS_MAX;
    return _settings;
}

STraceSettings ParseTraceSettings(const wchar_t* _pszLevel, const wchar_t* _pszKeepDays)
{
    STraceSettings settings;
    settings.iLevel = ParseNumber(_pszLevel);
    settings.iKeepDays = ParseNumber(_pszKeepDays);
    // A hand-edited value out of range counts as not set, rather than cut to a limit.
    if (settings.iKeepDays < 1)
        settings.iKeepDays = KEEP_DAYS_DEFAULT;
    return ClampTraceSettings(settings);
}
