// The monitor thread: answers the shared memory's request flag and keeps the tray icon.
#pragma once
#include <windows.h>

#include <atomic>

// Thread id, doubling as the run flag: the thread ends when it reads 0.
extern std::atomic<DWORD> g_dwMonitorThreadId;

DWORD WINAPI MonitorThread(LPVOID _pUnused);
// Starts the thread (null-DACL attributes, 2048-byte initial stack) and keeps handle and id.
void StartMonitorThread();
// Clears the run flag, gives the thread 200 ms to end, closes the handle if it did not.
void StopMonitorThread();
