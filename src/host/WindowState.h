// State of the main window procedure (main thread only): the colour scheme, font and
// language last announced, the module that reported the last error, the last error text
// and the tray exit guard.
#pragma once
#include <windows.h>

extern DWORD g_dwSchemeIndex;          // current colour scheme; 0 at start, changed by message 1157
extern wchar_t g_szFontName[128];      // current dialog font; "Segoe UI" at start
extern wchar_t g_szLanguageName[32];   // language name last received
extern UINT_PTR g_uErrorInstance;      // instance of the module that reported ERROR; 0 otherwise
extern wchar_t g_szLastError[256];     // last "LastErr" value received
extern DWORD g_dwExitGuard;            // set while the tray exit command runs
