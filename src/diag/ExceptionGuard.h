// The crash-dump guard around the message loop.
#pragma once
#include <windows.h>

// Runs _pfnBody on the calling thread. An exception that escapes it unhandled is passed
// to _pfnFilter (which writes the dump); then an exception with code 1 is raised, which
// leaves through the system's unhandled-exception path. Returns the body's result.
int RunGuarded(int (*_pfnBody)(), LONG (*_pfnFilter)(EXCEPTION_POINTERS*));
