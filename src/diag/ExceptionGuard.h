// The crash-dump guard around the message loop.
#pragma once
#include <windows.h>

// Runs _pfnBody on the calling thread inside a frame-based exception handler. An exception
// that no handler below it takes is passed to _pfnFilter (which writes the dump) before the
// process's unhandled-exception filter sees anything; then an exception with code 1 is
// raised, which leaves through the system's unhandled-exception path. Returns the body's
// result. Replacing the unhandled-exception filter (as a plug-in may do) does not turn the
// guard off.
int RunGuarded(int (*_pfnBody)(), LONG (*_pfnFilter)(EXCEPTION_POINTERS*));
