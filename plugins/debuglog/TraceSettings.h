// The trace-file plug-in's own settings: the trace level it applies at each start and how
// many days of daily files it keeps. They are kept where the host keeps plug-ins' settings,
// section "TraceFile", keys "Level" and "KeepDays"; tvrctl reads the level there to put it
// back after raising it.
#pragma once

const wchar_t TRACE_SETTINGS_SECTION[] = L"TraceFile";
const wchar_t TRACE_KEY_LEVEL[] = L"Level";
const wchar_t TRACE_KEY_KEEP_DAYS[] = L"KeepDays";
const int TRACE_LEVEL_NONE = -1;   // no level chosen: the host keeps its own (0)
const int TRACE_LEVEL_MAX = 4;
const int KEEP_DAYS_DEFAULT = 14;
const int KEEP_DAYS_MAX = 3650;

struct STraceSettings
{
    int iLevel = TRACE_LEVEL_NONE;
    int iKeepDays = KEEP_DAYS_DEFAULT;
};

// The settings of the stored texts (null counts as empty): an empty or out-of-range value
// reads as its default.
STraceSettings ParseTraceSettings(const wchar_t* _pszLevel, const wchar_t* _pszKeepDays);
// Keep-days held to 1..KEEP_DAYS_MAX; a level outside 0..4 becomes TRACE_LEVEL_NONE.
STraceSettings ClampTraceSettings(STraceSettings _settings);
