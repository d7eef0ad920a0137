// The filter runs in the system's last frame handler of every thread (the thread start), so
// it sees exactly the faults that nothing on the thread's stack handled. The vectored handler
// runs before any frame handler, at every exception: it only exchanges the filter pointer,
// so that a filter a plug-in installed just before its fault cannot take the host's place.
#include "diag/FaultFilter.h"

#include <atomic>

#include "diag/CrashDump.h"

namespace {

const DWORD FAULT_DUMP_TYPE = 1;   // MiniDumpWithDataSegs

std::atomic<PFN_FAULT_REPORT> g_pfnReport{nullptr};
std::atomic<LPTOP_LEVEL_EXCEPTION_FILTER> g_pfnKept{nullptr};
std::atomic<LONG> g_lClaimed{0};
PVOID g_pKeeper = nullptr;

LONG WINAPI HostFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    if (ClaimFaultReport())
    {
        WriteCrashDump(_pExceptionPointers, FAULT_DUMP_TYPE);
        if (const PFN_FAULT_REPORT pfnReport = g_pfnReport.load())
            pfnReport(_pExceptionPointers);
    }
    if (const LPTOP_LEVEL_EXCEPTION_FILTER pfnKept = g_pfnKept.load())
        pfnKept(_pExceptionPointers);
    const DWORD dwCode = _pExceptionPointers && _pExceptionPointers->ExceptionRecord
                             ? _pExceptionPointers->ExceptionRecord->ExceptionCode
                             : 1;
    TerminateProcess(GetCurrentProcess(), dwCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

// Puts the host's filter back in place; one that replaced it is kept for the chain.
void KeepHostFilterFirst()
{
    const LPTOP_LEVEL_EXCEPTION_FILTER pfnBefore = SetUnhandledExceptionFilter(HostFilter);
    if (pfnBefore != HostFilter)
        g_pfnKept = pfnBefore;
}

LONG CALLBACK KeeperHandler(EXCEPTION_POINTERS*)
{
    KeepHostFilterFirst();
    return EXCEPTION_CONTINUE_SEARCH;
}

}   // namespace

void InstallFaultFilter(PFN_FAULT_REPORT _pfnReport)
{
    g_pfnReport = _pfnReport;
    KeepHostFilterFirst();
    if (g_pKeeper == nullptr)
        g_pKeeper = AddVectoredExceptionHandler(1, KeeperHandler);
}

bool ClaimFaultReport()
{
    return g_lClaimed.exchange(1) == 0;
}

bool IsFaultReportClaimed()
{
    return g_lClaimed.load() != 0;
}
