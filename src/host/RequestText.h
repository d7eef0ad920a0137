// Texts that plug-in code hands to the main window by pointer (messages 1145 and 1157).
// The pointer may come from anywhere, so a text is read only within the bounds a real
// caller uses and only when it has the shape such a caller gives it.
#pragma once
#include <windows.h>

const size_t TRACE_LINE_MAX_CHARS = 8190;      // a finished trace line, without terminator
const size_t RECORD_TEXT_MAX_CHARS = 16382;    // a record built in a 16383-character buffer

// A readable, terminated line of at most 8190 printable characters (tab allowed) that
// begins with a trace line's time stamp "YYYY-MM-DD hh:mm:ss.mmm (".
bool IsPlausibleTraceLine(const wchar_t* _pszLine);
// A readable, terminated text of at most 16382 characters that begins with the record header.
bool IsPlausibleRecordText(const wchar_t* _pszRecord);
