#include "InstructionCount.h"

#include <windows.h>

namespace {

const DWORD TRAP_FLAG = 0x100;

// Written and read by the counting thread only (the handler runs on the faulting thread).
volatile bool g_bStepping = false;
volatile bool g_bArmed = false;
unsigned long long g_ullSteps = 0;
DWORD g_dwCountingThread = 0;

LONG CALLBACK CountStep(EXCEPTION_POINTERS* _pInfo)
{
    if (_pInfo->ExceptionRecord->ExceptionCode != EXCEPTION_SINGLE_STEP || !g_bArmed ||
        GetCurrentThreadId() != g_dwCountingThread)
        return EXCEPTION_CONTINUE_SEARCH;
    if (g_bStepping)
    {
        ++g_ullSteps;
        _pInfo->ContextRecord->EFlags |= TRAP_FLAG;
    }
    else
    {
        // The step after the count ended: stop stepping.
        _pInfo->ContextRecord->EFlags &= ~TRAP_FLAG;
        g_bArmed = false;
    }
    return EXCEPTION_CONTINUE_EXECUTION;
}

// The processor traps after the instruction that follows.
inline void SetTrapFlag()
{
#if defined(__x86_64__)
    __asm__ volatile("pushfq\n\torq $0x100, (%%rsp)\n\tpopfq" ::: "memory", "cc");
#else
    __asm__ volatile("pushfl\n\torl $0x100, (%%esp)\n\tpopfl" ::: "memory", "cc");
#endif
}

}   // namespace

unsigned long long CountInstructions(void (*_pfnCall)(int), int _iArgument)
{
    PVOID pHandler = AddVectoredExceptionHandler(1, CountStep);
    if (pHandler == nullptr)
        return 0;
    g_ullSteps = 0;
    g_dwCountingThread = GetCurrentThreadId();
    g_bArmed = true;
    g_bStepping = true;
    SetTrapFlag();
    _pfnCall(_iArgument);
    // The trap after this store finds the count ended and clears the flag.
    g_bStepping = false;
    g_bArmed = false;
    RemoveVectoredExceptionHandler(pHandler);
    return g_ullSteps;
}
