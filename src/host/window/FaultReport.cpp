#include "host/window/FaultReport.h"

#include <strsafe.h>

#include "base/ProgramPath.h"
#include "bus/CodeAddress.h"
#include "diag/FaultFilter.h"
#include "diag/RunEndRecord.h"
#include "diag/StatusLog.h"
#include "diag/Trace.h"

void InstallFaultReport()
{
    InstallFaultFilter(ReportUnhandledFault);
}

void ReportUnhandledFault(const EXCEPTION_POINTERS* _pExceptionPointers)
{
    const EXCEPTION_RECORD* pRecord = _pExceptionPointers ? _pExceptionPointers->ExceptionRecord : nullptr;
    if (pRecord == nullptr)
        return;
    const HMODULE hPlugin = FindPluginModuleAt(pRecord->ExceptionAddress);
    wchar_t szPlugin[512] = L"";
    const bool bPlugin = hPlugin != nullptr && CopyModulePath(hPlugin, szPlugin, ARRAYSIZE(szPlugin));
    wchar_t szText[800];
    StringCchPrintfW(szText, ARRAYSIZE(szText),
                     L"Event.UnhandledException.Error.Fault%s%s on thread %lu at 0x%p, code 0x%08lX",
                     bPlugin ? L" in plug-in " : L"", szPlugin, GetCurrentThreadId(), pRecord->ExceptionAddress,
                     static_cast<unsigned long>(pRecord->ExceptionCode));
    if (bPlugin)
        RecordRunEnd(szPlugin, L"fault");
    wchar_t szLine[1024];
    FormatTraceLine(szLine, ARRAYSIZE(szLine), szText);
    g_StatusLog.WriteStatus(L"LastError", L"Error", L"%s", szLine);
}
