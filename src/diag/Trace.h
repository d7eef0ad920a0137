// Trace lines: gated by the global debug level, sent as bus messages of type 4.
#pragma once
#include <windows.h>

#include <atomic>

extern std::atomic<DWORD> g_dwGlobalDebugLevel;   // 0 at start; set only by bus type 26

// True when a line of this level is produced (level 0 always).
inline bool IsTraceLevelOn(DWORD _dwLevel)
{
    return _dwLevel == 0 || g_dwGlobalDebugLevel.load(std::memory_order_relaxed) >= _dwLevel;
}

// Where finished lines go: the host installs its sink (the bus to its main window) before
// anything traces; without one, lines are formatted and dropped. _bFault: the line reports
// a fault and also becomes the last error.
typedef void (*PFN_TRACE_SINK)(DWORD _dwLevel, const wchar_t* _pszLine, bool _bFault);
void SetTraceSink(PFN_TRACE_SINK _pfnSink);

// The formatting part of a trace site, for a level that is on: formats
// "<UTC time> (pid:tid) - MAIN.<text>" and hands it to the sink; a line that reports a fault
// (IsFaultText) goes to the sink as a fault only when _bMayReport.
void WriteTraceLine(DWORD _dwLevel, bool _bMayReport, const wchar_t* _pszFormat, ...);

// A trace site: the level is tested here, inline, so a site whose level is off costs one
// comparison and no call; no time is taken and nothing is formatted for it.
template <typename... Args>
inline void WriteTrace(DWORD _dwLevel, const wchar_t* _pszFormat, Args... _args)
{
    if (IsTraceLevelOn(_dwLevel))
        WriteTraceLine(_dwLevel, true, _pszFormat, _args...);
}
// The same line, never sent as the last error: for a line of the kind Error that records a
// state of the machine rather than a fault of the host (a missing optional setting).
template <typename... Args>
inline void WriteTraceNote(DWORD _dwLevel, const wchar_t* _pszFormat, Args... _args)
{
    if (IsTraceLevelOn(_dwLevel))
        WriteTraceLine(_dwLevel, false, _pszFormat, _args...);
}

// The line "<UTC time> (pid:tid) - MAIN.<text>" without sending it (cut at the capacity).
void FormatTraceLine(wchar_t* _pszLine, size_t _cchLine, const wchar_t* _pszText);

// True for a text of the kind Error: "Func." or "Event." followed by a name whose
// dot-separated words, up to the first blank, include "Error" ("Func.LoadAllModules.Error._tchdir
// C:\x failed"). ".Error." in the free text after the name does not count.
bool IsFaultText(const wchar_t* _pszText);
