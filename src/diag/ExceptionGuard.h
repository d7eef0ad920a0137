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

// Ends the process after a guarded fault with exit code 1: raises exception code 1 (flags 0,
// no arguments) under a guard of its own, whose filter hands it to the process's
// unhandled-exception filter (the one the C runtime or a plug-in installed) and then ends the
// process. The exception does not travel up the stack: where the system calls a window
// procedure from a kernel callback (a message sent from another thread, DestroyWindow) a
// handler of the system would swallow it, and the process would run on. The host has written
// its dump, so the system's own error reporting is not started. Never returns.
void RaiseGuardExit();
