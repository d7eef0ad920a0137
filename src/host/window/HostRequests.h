// Requests to the main window from plug-in code and other processes, the bounds of the
// texts they hand over and the rate-limited trace of what the host refuses.
#pragma once
#include <windows.h>

#include "base/RateLimit.h"

// Requests to the main window from plug-in code and other processes: trace text, function
// calls on the main thread, colour scheme changes and records handed over as window text.
// Every pointer in them comes from a sender and is checked before it is used.
void OnTraceRequest(HWND _hWnd, WPARAM _wLevel, LPARAM _lText);
void OnCallFunction(LPARAM _lFunction);
// Only a well-formed record changes scheme, font and language. A sender on another thread
// is answered once the values are copied, and its request leaves a pending change of the
// settings window alone (no question is asked for it).
void OnSchemeChange(HWND _hWnd, LPARAM _lRecord);
void OnSetTextRecord(HWND _hWnd, WPARAM _wParam, LPARAM _lText);

// Texts that plug-in code hands to the main window by pointer (messages 1145 and 1157).
// The pointer may come from anywhere, so a text is read only within the bounds a real
// caller uses and only when it has the shape such a caller gives it.
const size_t TRACE_LINE_MAX_CHARS = 8190;     // a finished trace line, without terminator
const size_t RECORD_TEXT_MAX_CHARS = 16382;   // a record built in a 16383-character buffer

// A readable, terminated line of at most 8190 characters that begins with a trace line's
// time stamp "YYYY-MM-DD hh:mm:ss.mmm (" (its control characters are blanked when taken).
bool IsPlausibleTraceLine(const wchar_t* _pszLine);
// A readable, terminated text of at most 16382 characters that begins with the record header.
bool IsPlausibleRecordText(const wchar_t* _pszRecord);

// Trace lines for requests the host refuses. Other processes can repeat a refused request
// as fast as they can post it, so one refusal costs at most one trace line, and only the
// first LINES_PER_PERIOD refusals of each period are traced; the rest are counted and
// reported as one line when the next period begins.
class CRefusalLog
{
public:
    static const UINT LINES_PER_PERIOD = 10;
    static const DWORD PERIOD_MS = 10000;

    // Traces the refusal (level 0) when this period's budget allows it.
    void Refuse(const wchar_t* _pszFormat, ...);

private:
    CRateLimit m_Limit{LINES_PER_PERIOD, PERIOD_MS};
};

// The one refusal log of the main window (main thread only).
CRefusalLog& HostRefusals();
