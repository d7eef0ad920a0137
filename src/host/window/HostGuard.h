// The crash-dump guard of the main thread's sequences: the start (the main window object's
// construction), the message loop and the end (WM_DESTROY).
#pragma once
#include <windows.h>

// Runs _pfnBody (_pContext) under the crash-dump guard and returns its result. A fault that
// nothing below handles leaves a dump, written at the fault and nothing else there. After
// the stack has unwound to the guard, the fault is named as the last error and in a trace
// line (this report is guarded itself): "<_pszSequence>.Error.Fault in plug-in <module>
// <export>" when a plug-in export ran, else "<_pszSequence>.Error.Fault on thread <id> at
// <address>, code <code>", with " in plug-in <file>" when the address lies in a plug-in.
// The process then ends with the guard's exception (code 1).
int RunHostSequence(const wchar_t* _pszSequence, int (*_pfnBody)(void*), void* _pContext);
