// How this process runs: as the per-user tray program or as the Windows service.
#pragma once
#include <windows.h>

#include <atomic>

extern std::atomic<DWORD> g_dwServiceMode;   // 1 in service mode; set once at start, never cleared

// True when the process runs as a service (skip every tray and window-position action).
inline bool IsServiceMode()
{
    return g_dwServiceMode.load() != 0;
}
