// The last line for faults on every thread: the process's unhandled-exception filter, kept
// first even when a plug-in installs a filter of its own.
#pragma once
#include <windows.h>

// What the host does at a fault nothing else handled, after the dump: it runs on the
// faulting thread and names what it can.
typedef void (*PFN_FAULT_REPORT)(const EXCEPTION_POINTERS* _pExceptionPointers);

// Installs the host's unhandled-exception filter and a first vectored handler that puts it
// back whenever another filter has replaced it (a plug-in calling
// SetUnhandledExceptionFilter); the replaced filter is kept and still called after the
// host's. At a fault that no handler takes, on any thread: the first such fault of the
// process writes a crash dump and runs _pfnReport; then the kept filter runs and the
// process ends with the exception code. Installing again replaces the report.
void InstallFaultFilter(PFN_FAULT_REPORT _pfnReport);

// The first caller of the process gets true: one fault is reported, whichever thread or
// guard meets it first; a later one (the guard's own exit exception) is not dumped again.
bool ClaimFaultReport();
// True once a fault of the process is being reported: the process is about to end.
bool IsFaultReportClaimed();
