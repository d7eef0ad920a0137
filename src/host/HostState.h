// Process-wide values of the entry and the main window (written by the main thread only).
#pragma once
#include <windows.h>

#include "config/RunMode.h"

extern HINSTANCE g_hInstance;        // the program's module handle
extern wchar_t g_szHelpFile[512];    // help file name, fixed at start
extern HANDLE g_hServiceThread;      // handle of ServiceThread (service mode)
extern HWND g_hWndParent;            // the hidden main window, target of every bus message

