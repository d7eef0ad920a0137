// The crash-dump guard of the main thread's sequences: the start (the main window object's
// construction), the message loop and the end (WM_DESTROY).
#pragma once
#include <windows.h>

// Runs _pfnBody (_pContext) under the crash-dump guard and returns its result. A fault that
// nothing below handles leaves a dump, written at the fault and nothing else there. After
// the stack has unwound to the guard, the plug-in export that ran is named as the last error
// and in a trace line "<_pszSequence>.Error.Fault in plug-in <module> <export>" (this report
// is guarded itself), and the process ends with the guard's exception (code 1).
int RunHostSequence(const wchar_t* _pszSequence, int (*_pfnBody)(void*), void* _pContext);
