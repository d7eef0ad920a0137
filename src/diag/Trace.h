// Trace lines: gated by the global debug level, sent as bus messages of type 4.
#pragma once
#include <windows.h>

extern volatile DWORD g_dwGlobalDebugLevel;   // 0 at start; set only by bus type 26

// True when a line of this level is produced (level 0 always).
inline bool IsTraceLevelOn(DWORD _dwLevel)
{
    return _dwLevel == 0 || g_dwGlobalDebugLevel >= _dwLevel;
}

// Gates first, then formats "<UTC time> (pid:tid) - MAIN.<text>" and posts it to the main window.
void WriteTrace(DWORD _dwLevel, const wchar_t* _pszFormat, ...);
