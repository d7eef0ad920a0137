// Hang dumps: the monitor thread notices when the main thread has been inside one plug-in
// call for longer than a limit, and leaves the evidence once per call. Nothing is ended or
// skipped; the host waits for the call as before.
#pragma once
#include <windows.h>

// The limit when the configuration store gives none ("General", "HangDumpSeconds").
const DWORD DEFAULT_HANG_LIMIT_SECONDS = 10;

// The limit in milliseconds for a stored text: a whole number of seconds, 0 switches the
// watch off; an empty, malformed or negative text gives the default, a very large one is held
// to a day.
DWORD ParseHangLimitMs(const wchar_t* _pszStored);
// On the main thread at start: reads the limit, readies the dump writer (a hang report must
// not wait for the loader) and watches this thread's plug-in calls.
void StartHangWatch();
// Milliseconds until the running call reaches the limit; INFINITE when there is nothing to wait for.
DWORD MsUntilHangCheck();
// On the monitor thread: for a call over the limit that was not reported yet, keeps the
// plug-in as the one the run ends in until the call returns, names plug-in, export and bus
// type as the last error and in a trace line, and writes the hang dump.
void CheckForHang();
