// Trace lines: the gate, the line with its UTC prefix, and the type-4 record to the main window.
#include "diag/Trace.h"

#include <strsafe.h>
#include <cstdarg>
#include <cwchar>

#include "bus/BusRecord.h"
#include "host/HostState.h"

volatile DWORD g_dwGlobalDebugLevel = 0;

namespace {

const size_t TRACE_LINE_CHARS = 8191;          // the line and its terminator
const wchar_t TRACE_CATEGORY[] = L"MAIN";
const wchar_t ERROR_KIND[] = L".Error.";

// One line buffer per thread: lines written by several threads at once never mix.
thread_local wchar_t t_szLine[TRACE_LINE_CHARS];

// Writes the prefix and returns its length.
size_t FormatPrefix(wchar_t* _pszLine, size_t _cchLine)
{
    SYSTEMTIME time;
    GetSystemTime(&time);
    StringCchPrintfW(_pszLine, _cchLine, L"%04d-%02d-%02d %02d:%02d:%02d.%03d (%6d:%6d) - %s.",
                     time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond,
                     time.wMilliseconds, static_cast<int>(GetCurrentProcessId()),
                     static_cast<int>(GetCurrentThreadId()), TRACE_CATEGORY);
    return wcsnlen(_pszLine, _cchLine);
}

} // namespace

void WriteTrace(DWORD _dwLevel, const wchar_t* _pszFormat, ...)
{
    if (!IsTraceLevelOn(_dwLevel) || _pszFormat == nullptr)
        return;
    wchar_t* pszLine = t_szLine;
    const size_t cchPrefix = FormatPrefix(pszLine, TRACE_LINE_CHARS);
    wchar_t* pszText = pszLine + cchPrefix;
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(pszText, TRACE_LINE_CHARS - cchPrefix, _pszFormat, args);   // a longer text is cut
    va_end(args);

    PostTraceRecord(g_hWndParent, _dwLevel, pszLine, GetCurrentThreadId());
    // Lines of the kind Error also become the host's last error. The test looks at the
    // text after the prefix, which begins with the time stamp and so never starts with
    // the kind; it is case-sensitive like the error log's test of the status report.
    if (wcsstr(pszText, ERROR_KIND) != nullptr)
        PostLastErrorRecord(g_hWndParent, pszLine);
}
