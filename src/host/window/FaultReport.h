// The report of a fault that no guard caught, on any thread (a plug-in's own thread, the
// monitor thread): the process's last-line filter writes the dump, then this names the fault.
#pragma once
#include <windows.h>

// Installs the process's fault filter with this report (at start, before anything can fault).
void InstallFaultReport();
// Writes the last error "Event.UnhandledException.Error.Fault ..." naming the thread, the
// address and the code, and, when the address lies in a plug-in's code, the plug-in, which
// then counts as the one the run ended in. Runs on the faulting thread.
void ReportUnhandledFault(const EXCEPTION_POINTERS* _pExceptionPointers);
