// Process-wide values of the entry and the main window (written by the main thread only).
#pragma once
#include <windows.h>

extern HINSTANCE g_hInstance;        // the program's module handle
extern wchar_t g_szHelpFile[512];    // help file name, fixed at start
extern volatile DWORD g_dwServiceMode; // 1 in service mode; set once, never cleared
extern HANDLE g_hServiceThread;      // handle of ServiceThread (service mode)
extern HWND g_hWndParent;            // the hidden main window, target of every bus message

// True when the process runs as a service (skip every tray and window-position action).
inline bool IsServiceMode() { return g_dwServiceMode != 0; }
