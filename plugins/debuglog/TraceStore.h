// The trace-file plug-in's settings in the host's store for plug-ins (from the after-load
// call on, on the host's main thread).
#pragma once
#include <string>

#include "TraceSettings.h"

// Missing or out-of-range values read as their defaults.
STraceSettings LoadTraceSettings();
// False when the host did not store them.
bool SaveTraceSettings(const STraceSettings& _settings);
// Earlier versions kept the settings in "PluginDebugLog.ini" in the host's configuration
// folder. When the store holds neither value, the values found there are stored; true when
// any was carried over.
bool CarryOverOldTraceSettings(const std::wstring& _strConfigFolder);
