// The monitor thread: watches the main thread's plug-in calls for hangs from the start's first
// plug-in call on; once the host runs, it also answers the shared memory's request flag and
// keeps the tray icon.
#pragma once
#include <windows.h>

#include <atomic>

// Thread id, doubling as the run flag: the thread ends when it reads 0 (or another id).
extern std::atomic<DWORD> g_dwMonitorThreadId;

DWORD WINAPI MonitorThread(LPVOID _pUnused);
// Starts the thread (null-DACL attributes, 2048-byte initial stack) and keeps handle and id;
// nothing when it runs already.
void StartMonitorThread();
// Clears the run flag, wakes the thread and waits up to 1 s for its end (nothing when none
// runs). A thread still busy then (the request flag's 3 s delay, a hang dump) is left
// to end by itself at its next look at the flag, or with the process: its handle is closed,
// and a trace line says so.
void StopMonitorThread();
