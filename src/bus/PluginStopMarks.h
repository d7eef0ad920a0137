// Plug-ins stopped after faults: a plug-in named at the end of two runs in a row (a fault
// in it, or a call into it that hung until the process was ended) is not loaded at the next
// start. The marks are kept in the configuration store with the other settings (section
// "StoppedPlugins"), one per plug-in file, keyed by its path below the program folder and
// holding the file version it had: a file of another version gets a new chance.
#pragma once
#include <string>

// The key of a plug-in file: its path below the program folder (the full path elsewhere).
std::wstring PluginStopKey(const wchar_t* _pszPath);
// True when the file is marked and still has the marked version; a mark of another version
// is removed.
bool IsPluginStopped(const wchar_t* _pszPath);
void StopPlugin(const wchar_t* _pszPath);
// The plug-in is loaded again at the next start.
void ClearPluginStop(const wchar_t* _pszPath);
// Takes note of the plug-in file the last run ended in (empty, or a file that does not lie
// below the program folder: it ended in none). When the
// run before ended in the same file of the same version, the file is stopped and true is
// returned; one run's end alone never stops a plug-in.
bool NoteRunEndPlugin(const wchar_t* _pszPath);
