// Trace lines: the gate, the line with its UTC prefix, and the type-4 record to the main window.
#include "diag/Trace.h"

#include <strsafe.h>
#include <atomic>
#include <cstdarg>
#include <cwchar>

std::atomic<DWORD> g_dwGlobalDebugLevel{0};

namespace {

const size_t TRACE_LINE_CHARS = 8191;   // the line and its terminator
const wchar_t TRACE_CATEGORY[] = L"MAIN";
const wchar_t ERROR_KIND[] = L".Error.";

std::atomic<PFN_TRACE_SINK> g_pfnTraceSink{nullptr};

// One line buffer per thread: lines written by several threads at once never mix.
thread_local wchar_t t_szLine[TRACE_LINE_CHARS];

// Writes the prefix and returns its length.
size_t FormatPrefix(wchar_t* _pszLine, size_t _cchLine)
{
    SYSTEMTIME time;
    GetSystemTime(&time);
    StringCchPrintfW(_pszLine, _cchLine, L"%04d-%02d-%02d %02d:%02d:%02d.%03d (%6d:%6d) - %s.", time.wYear, time.wMonth,
                     time.wDay, time.wHour, time.wMinute, time.wSecond, time.wMilliseconds,
                     static_cast<int>(GetCurrentProcessId()), static_cast<int>(GetCurrentThreadId()), TRACE_CATEGORY);
    return wcsnlen(_pszLine, _cchLine);
}

}   // namespace

void SetTraceSink(PFN_TRACE_SINK _pfnSink)
{
    g_pfnTraceSink.store(_pfnSink);
}

void FormatTraceLine(wchar_t* _pszLine, size_t _cchLine, const wchar_t* _pszText)
{
    if (_pszLine == nullptr || _cchLine == 0)
        return;
    const size_t cchPrefix = FormatPrefix(_pszLine, _cchLine);
    StringCchCopyW(_pszLine + cchPrefix, _cchLine - cchPrefix, _pszText ? _pszText : L"");
}

bool IsFaultText(const wchar_t* _pszText)
{
    if (_pszText == nullptr || (wcsncmp(_pszText, L"Func.", 5) != 0 && wcsncmp(_pszText, L"Event.", 6) != 0))
        return false;
    const size_t cchName = wcscspn(_pszText, L" ");
    const wchar_t* pszKind = wcsstr(_pszText, ERROR_KIND);
    return pszKind != nullptr && static_cast<size_t>(pszKind - _pszText) + ARRAYSIZE(ERROR_KIND) - 1 <= cchName;
}

void WriteTraceLine(DWORD _dwLevel, bool _bMayReport, const wchar_t* _pszFormat, ...)
{
    if (_pszFormat == nullptr)
        return;
    wchar_t* pszLine = t_szLine;
    const size_t cchPrefix = FormatPrefix(pszLine, TRACE_LINE_CHARS);
    wchar_t* pszText = pszLine + cchPrefix;
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(pszText, TRACE_LINE_CHARS - cchPrefix, _pszFormat, args);   // a longer text is cut
    va_end(args);

    // The last error (and with it the error log) holds faults only: the test looks at the
    // text's name, after the prefix, so that free text mentioning an error does not count.
    if (const PFN_TRACE_SINK pfnSink = g_pfnTraceSink.load())
        pfnSink(_dwLevel, pszLine, _bMayReport && IsFaultText(pszText));
}
