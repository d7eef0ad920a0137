// The marks of one host start, shared between the host benchmark and the marking plug-in
// through a named file mapping that the benchmark creates before it starts the host: the
// plug-in (one copy in each list) notes the performance counter when the host loads it,
// asks its first load-time question, calls its after-load procedure and its close
// procedure, and copies the text of every trace line it receives (the line's own time
// stamp says when the host wrote it).
#pragma once
#include <windows.h>

#define START_MARKS_MAPPING L"Local\\TelvarinStartMarks"

enum EStartMarkEvent : LONG
{
    START_MARK_ATTACH = 1,      // the module was mapped (DllMain)
    START_MARK_LOADED = 2,      // the host asked its first load-time question
    START_MARK_AFTERLOAD = 3,
    START_MARK_TRACE = 4,       // a trace line reached the plug-in; szText holds its text
    START_MARK_BEFORECLOSE = 5,
};

struct SStartMark
{
    LONGLONG llCounter;         // QueryPerformanceCounter when the event happened
    LONG lEvent;                // EStartMarkEvent
    wchar_t szText[120];        // the list's folder name, or the start of the trace line
};

struct SStartMarks
{
    volatile LONG lCount;       // marks taken; those beyond START_MARKS_MAX are dropped
    SStartMark aMarks[1024];
};

const LONG START_MARKS_MAX = 1024;
