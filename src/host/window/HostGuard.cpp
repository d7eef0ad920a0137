// The crash-dump guard of the main thread's sequences and the report of a faulting plug-in.
#include "host/window/HostGuard.h"

#include <strsafe.h>

#include "TelvarinPlugin.h"
#include "base/ProgramPath.h"
#include "bus/BusRecordBuilder.h"
#include "bus/PluginBase.h"
#include "bus/PluginCall.h"
#include "diag/CrashDump.h"
#include "diag/ExceptionGuard.h"
#include "diag/FaultFilter.h"
#include "diag/RunEndRecord.h"
#include "diag/Trace.h"
#include "host/window/FaultReport.h"
#include "host/window/MainWindow.h"

namespace {

const DWORD MAIN_DUMP_TYPE = 1;   // MiniDumpWithDataSegs

struct SSequence
{
    const wchar_t* pszName;
    int (*pfnBody)(void*);
    void* pContext;
    const SPluginCall* pRunningCall;   // this thread's running plug-in call
    SPluginCall faultCall;             // the call that ran when the fault came
    const void* pFaultAddress;
    DWORD dwFaultCode;
};

int RunSequenceBody(void* _pSequence)
{
    const auto* pSequence = static_cast<const SSequence*>(_pSequence);
    return pSequence->pfnBody(pSequence->pContext);
}

// At the fault, on a state it may have corrupted: a copy of the running call and the dump.
LONG DumpAtFault(EXCEPTION_POINTERS* _pExceptionPointers, void* _pSequence)
{
    auto* pSequence = static_cast<SSequence*>(_pSequence);
    pSequence->faultCall = *pSequence->pRunningCall;
    if (const EXCEPTION_RECORD* pRecord = _pExceptionPointers ? _pExceptionPointers->ExceptionRecord : nullptr)
    {
        pSequence->pFaultAddress = pRecord->ExceptionAddress;
        pSequence->dwFaultCode = pRecord->ExceptionCode;
    }
    // One dump for the process: the guard's exit passes the filter of every thread, which
    // then writes none.
    if (!ClaimFaultReport())
        return EXCEPTION_EXECUTE_HANDLER;
    return WriteCrashDump(_pExceptionPointers, MAIN_DUMP_TYPE);
}

bool IsDebugModule(HMODULE _hModule)
{
    for (int iSlot = 0; iSlot < CPluginBase::MAX_SLOTS; ++iSlot)
    {
        if (g_PluginDebug.GetModuleHandle(iSlot) == _hModule)
            return true;
    }
    return false;
}

// The fault in a plug-in export: "<sequence>.Error.Fault in plug-in <module> <export>".
// A load's file lived on the stack that the fault unwound: only module calls are named.
bool DescribeFaultingExport(const SSequence& _sequence, wchar_t* _pszLine, size_t _cchLine)
{
    wchar_t szCall[640];
    if (!DescribePluginCall(_sequence.faultCall, szCall, ARRAYSIZE(szCall)))
        return false;
    wchar_t szModule[512];
    if (CopyModulePath(_sequence.faultCall.hModule, szModule, ARRAYSIZE(szModule)))
        RecordRunEnd(szModule, L"fault");
    wchar_t szText[800];
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"%s.Error.Fault in plug-in %s", _sequence.pszName, szCall);
    FormatTraceLine(_pszLine, _cchLine, szText);
    return true;
}

// After the unwinding, the fault is named as the last error and in a trace line: a fault in
// a plug-in export by the module and the export; one anywhere else (the host's code, the
// system's, a plug-in's own window procedure) by its address and code, and by the plug-in
// when the address lies in one. The loop that would carry the line is over, so the debug
// plug-ins get it directly, unless the fault lies in one of them.
int ReportFault(void* _pSequence)
{
    const auto* pSequence = static_cast<const SSequence*>(_pSequence);
    if (g_pServiceWindow == nullptr)
        return 0;
    wchar_t szLine[1024];
    HMODULE hFaulting = pSequence->faultCall.hModule;
    if (hFaulting != nullptr)
    {
        if (!DescribeFaultingExport(*pSequence, szLine, ARRAYSIZE(szLine)))
            return 0;
    }
    else
    {
        hFaulting = DescribeFaultAt(pSequence->pszName, pSequence->pFaultAddress, pSequence->dwFaultCode, szLine,
                                    ARRAYSIZE(szLine));
    }
    g_pServiceWindow->LogLastError(szLine);
    if (hFaulting != nullptr && IsDebugModule(hFaulting))
        return 0;
    CBusRecordBuilder record(QEL_BUSMSG_TRACE, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"Level\">%u</value>\r\n", 0u);
    record.AddField(L" <value keyword=\"Text\">%s</value>\r\n", szLine);
    record.AddField(L" <value keyword=\"Thread\">%d</value>\r\n", static_cast<int>(GetCurrentThreadId()));
    g_PluginDebug.DeliverBusMessage(QEL_BUSMSG_TRACE, record.Finish());
    return 0;
}

}   // namespace

int RunHostSequence(const wchar_t* _pszSequence, int (*_pfnBody)(void*), void* _pContext)
{
    SSequence sequence = {
        _pszSequence, _pfnBody, _pContext, CurrentPluginCallPlace(), {nullptr, nullptr, false, 0, nullptr}, nullptr, 0};
    int iResult = 0;
    if (TryGuarded(RunSequenceBody, DumpAtFault, &sequence, &iResult))
        return iResult;
    // The stack is sound again; a fault while reporting only cuts the report short.
    TryGuarded(ReportFault, nullptr, &sequence, nullptr);
    RaiseGuardExit();
    return -1;
}
