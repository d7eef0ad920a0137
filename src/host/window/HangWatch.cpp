#include "host/window/HangWatch.h"

#include <strsafe.h>

#include <atomic>
#include <cwchar>
#include <cwctype>

#include "bus/PluginCall.h"
#include "config/RegIniAccess.h"
#include "diag/CrashDump.h"
#include "diag/FaultFilter.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"

namespace {

const DWORD HANG_DUMP_TYPE = 1;   // MiniDumpWithDataSegs: the main thread's stack and the data
const unsigned long MAX_LIMIT_SECONDS = 24 * 60 * 60;
const DWORD MS_PER_SECOND = 1000;

// Read on the main thread at start, used by the monitor thread.
std::atomic<DWORD> g_dwLimitMs{DEFAULT_HANG_LIMIT_SECONDS * MS_PER_SECOND};

// Asks the loader nothing: a plug-in hanging in its load holds the loader lock.
void ReportHang(const SWatchedCall& _watched, const wchar_t* _pszFile)
{
    wchar_t szCall[640];
    DescribePluginCallOfFile(_watched.call, _pszFile, szCall, ARRAYSIZE(szCall));
    wchar_t szText[800];
    StringCchPrintfW(szText, ARRAYSIZE(szText),
                     L"Func.MonitorThread.Error.Plug-in call running for more than %lu s: %s",
                     static_cast<unsigned long>(g_dwLimitMs / MS_PER_SECOND), szCall);
    wchar_t szLine[1024];
    FormatTraceLine(szLine, ARRAYSIZE(szLine), szText);
    // The main thread is held by the plug-in: the entry is written here, not through the loop.
    if (g_pServiceWindow != nullptr)
        g_pServiceWindow->LogLastError(szLine);
    WriteTrace(0, L"%s", szText);
    // Last: writing the dump can take long, and the process may be ended meanwhile.
    WriteHangDump(HANG_DUMP_TYPE);
}

}   // namespace

DWORD ParseHangLimitMs(const wchar_t* _pszStored)
{
    const DWORD dwDefault = DEFAULT_HANG_LIMIT_SECONDS * MS_PER_SECOND;
    if (_pszStored == nullptr || !iswdigit(_pszStored[0]))
        return dwDefault;
    wchar_t* pszEnd = nullptr;
    const unsigned long ulSeconds = wcstoul(_pszStored, &pszEnd, 10);
    if (*pszEnd != L'\0')
        return dwDefault;
    return (ulSeconds > MAX_LIMIT_SECONDS ? MAX_LIMIT_SECONDS : ulSeconds) * MS_PER_SECOND;
}

void StartHangWatch()
{
    g_dwLimitMs = ParseHangLimitMs(g_RegIniAccess.ReadString(L"General", L"HangDumpSeconds", 0));
    PrepareDumpWriter();
    WatchPluginCallsOfThisThread();
}

DWORD MsUntilHangCheck()
{
    return MsUntilOverdue(g_dwLimitMs);
}

void CheckForHang()
{
    // A call that faulted stays the running one while its crash dump is written: no hang.
    if (IsFaultReportClaimed())
        return;
    SWatchedCall watched = {};
    wchar_t szFile[512] = L"";
    if (TakeOverdueCall(g_dwLimitMs, &watched, szFile, ARRAYSIZE(szFile)))
        ReportHang(watched, szFile);
}
