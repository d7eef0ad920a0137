// The crash-dump guard around the main thread's sequences (start, message loop, end).
#pragma once
#include <windows.h>

// Runs _pfnBody (_pContext) on the calling thread inside a frame-based exception handler.
// The first exception that no handler below takes is passed to _pfnFilter (the exception
// and _pContext) at the point of the fault, on the faulting stack: it writes the dump and
// nothing that can fault or wait. The stack is then unwound back to the guard and
// TryGuarded returns false; the caller reports on a sound stack. True, with the body's
// result in *_piResult, when the body returned. _pfnFilter may be null (nothing runs at the
// fault). Guards nest and each keeps its state in its own stack frame, so any thread may
// use them. Replacing the unhandled-exception filter (as a plug-in may do) does not turn
// the guard off.
bool TryGuarded(int (*_pfnBody)(void*), LONG (*_pfnFilter)(EXCEPTION_POINTERS*, void*), void* _pContext,
                int* _piResult);

// Ends the process after a guarded fault: raises exception code 1 (flags 0, no arguments),
// which every guard passes on, so it leaves through the system's unhandled-exception path
// (the system's or a plug-in's filter). Returns only when such a filter continues execution.
void RaiseGuardExit();
