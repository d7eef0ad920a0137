// The compiler-specific part of the crash-dump guard around the message loop.
#pragma once
#include <windows.h>

// Runs _pfnBody under a structured exception guard. An exception that escapes it
// is passed to _pfnFilter (which writes the dump); then an exception with code 1 is
// raised, which leaves through the system's unhandled-exception path.
int RunGuarded(int (*_pfnBody)(), LONG (*_pfnFilter)(EXCEPTION_POINTERS*));
