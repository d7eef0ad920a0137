// The record of one host start: which step of the start took how long, read from the marks
// of the marking plug-in (one in each list) and the time stamps of the host's trace lines.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "StartMarks.h"
#include "base/Handle.h"

// One step of the start: its name, its milliseconds, and the fixed wait it holds.
struct SStartStep
{
    const char* pszName;
    double dMs;
    double dFixedMs;
};

// What the benchmark saw itself, in milliseconds since the start: the host's main window,
// its last error "OK", its status "STARTING" and its status "OK".
struct SSeenStart
{
    double dWindowMs;
    double dLastErrorMs;
    double dStartingMs;
    double dOkMs;
};

// The step that the start-up report begins (the module reports follow it).
const size_t REPORT_STEP = 6;

// The benchmark's side of the marks: the named mapping the plug-ins write into.
class CStartMarks
{
public:
    CStartMarks() = default;
    CStartMarks(const CStartMarks&) = delete;
    CStartMarks& operator=(const CStartMarks&) = delete;
    ~CStartMarks();
    bool Create();
    // Forgets the marks of an earlier start.
    void Clear();
    // True once a trace line beginning with _pszText (after the line's prefix) was marked.
    bool HasTrace(const wchar_t* _pszText) const;
    // The steps of the start that began at _liStart (performance counter) and _ftStart
    // (system time), with what the bench saw of it; empty when a mark is missing.
    std::vector<SStartStep> Steps(LARGE_INTEGER _liStart, FILETIME _ftStart, const SSeenStart& _seen) const;
    // Prints every marked trace line: "startline <ms since the start> <text>".
    void PrintTraceLines(FILETIME _ftStart) const;
    // Trace lines marked between two times (ms since the start).
    int CountTraces(FILETIME _ftStart, double _dFromMs, double _dToMs) const;

private:
    LONG Count() const;   // marks readable

    CKernelHandle m_hMapping;
    SStartMarks* m_pMarks = nullptr;
};

// Milliseconds between _ftStart and the UTC time stamp "YYYY-MM-DD hh:mm:ss.mmm" that begins
// a trace line, taken as the middle of its millisecond; negative when the line has none.
double TraceLineMs(const wchar_t* _pszLine, FILETIME _ftStart);
