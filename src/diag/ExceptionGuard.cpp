// The guard is the process's unhandled-exception filter while the body runs, limited to the
// body's thread: nothing above the body handles structured exceptions, so an exception that
// reaches the filter is one that escaped the body. Unlike frame-based guards this needs no
// compiler support and is the same for 32-bit (stack-registered) and 64-bit (table-based)
// exception handling.
#include "diag/ExceptionGuard.h"

namespace {

const DWORD GUARD_EXCEPTION_CODE = 1;

// Written by the guarded thread before and after the body only.
struct GuardState
{
    DWORD dwThread;
    LONG (*pfnFilter)(EXCEPTION_POINTERS*);
    LPTOP_LEVEL_EXCEPTION_FILTER pfnPrevious;
};
GuardState s_Guard = {};

LONG WINAPI GuardFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    if (s_Guard.pfnFilter != nullptr && GetCurrentThreadId() == s_Guard.dwThread)
    {
        // Once only: the exception raised below, and any fault while the dump is written,
        // take the system's way.
        const auto pfnFilter = s_Guard.pfnFilter;
        s_Guard.pfnFilter = nullptr;
        pfnFilter(_pExceptionPointers);
        RaiseException(GUARD_EXCEPTION_CODE, 0, 0, nullptr);
    }
    return s_Guard.pfnPrevious != nullptr ? s_Guard.pfnPrevious(_pExceptionPointers) : EXCEPTION_CONTINUE_SEARCH;
}

} // namespace

int RunGuarded(int (*_pfnBody)(), LONG (*_pfnFilter)(EXCEPTION_POINTERS*))
{
    s_Guard.dwThread = GetCurrentThreadId();
    s_Guard.pfnPrevious = SetUnhandledExceptionFilter(GuardFilter);
    s_Guard.pfnFilter = _pfnFilter;
    const int iResult = _pfnBody();
    s_Guard.pfnFilter = nullptr;
    SetUnhandledExceptionFilter(s_Guard.pfnPrevious);
    return iResult;
}
