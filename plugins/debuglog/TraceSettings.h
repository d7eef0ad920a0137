// The trace-file plug-in's own settings: the trace level it applies at each start and how
// many days of daily files it keeps. They live in "PluginDebugLog.ini" in the host's
// configuration folder (per user, or beside the program for the service), section "TraceFile";
// tvrctl reads the level there to put it back after raising it.
#pragma once
#include <string>

const int TRACE_LEVEL_NONE = -1;     // no level chosen: the host keeps its own (0)
const int TRACE_LEVEL_MAX = 4;
const int KEEP_DAYS_DEFAULT = 14;
const int KEEP_DAYS_MAX = 3650;

struct STraceSettings
{
    int iLevel = TRACE_LEVEL_NONE;
    int iKeepDays = KEEP_DAYS_DEFAULT;
};

// Full path of the settings file in the host's configuration folder.
std::wstring TraceSettingsFile(const std::wstring& _strConfigFolder);
// Missing or out-of-range values read as their defaults.
STraceSettings LoadTraceSettings(const std::wstring& _strConfigFolder);
// False when the file could not be written.
bool SaveTraceSettings(const std::wstring& _strConfigFolder, const STraceSettings& _settings);
// Keep-days held to 1..KEEP_DAYS_MAX; a level outside 0..4 becomes TRACE_LEVEL_NONE.
STraceSettings ClampTraceSettings(STraceSettings _settings);
