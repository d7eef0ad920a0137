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
    wchar_t szLine[1024];
    DescribeFaultAt(L"Event.UnhandledException", pRecord->ExceptionAddress, pRecord->ExceptionCode, szLine,
                    ARRAYSIZE(szLine));
    g_StatusLog.WriteStatus(L"LastError", L"Error", L"%s", szLine);
}

HMODULE DescribeFaultAt(const wchar_t* _pszSource, const void* _pAddress, DWORD _dwCode, wchar_t* _pszLine,
                        size_t _cchLine)
{
    const HMODULE hPlugin = FindPluginModuleAt(_pAddress);
    wchar_t szPlugin[512] = L"";
    const bool bPlugin = hPlugin != nullptr && CopyModulePath(hPlugin, szPlugin, ARRAYSIZE(szPlugin));
    wchar_t szText[800];
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s.Error.Fault%s%s on thread %lu at 0x%p, code 0x%08lX", _pszSource,
                     bPlugin ? L" in plug-in " : L"", szPlugin, GetCurrentThreadId(), _pAddress,
                     static_cast<unsigned long>(_dwCode));
    if (bPlugin)
        RecordRunEnd(szPlugin, L"fault");
    FormatTraceLine(_pszLine, _cchLine, szText);
    return bPlugin ? hPlugin : nullptr;
}
