// The report of a fault that no guard caught, on any thread (a plug-in's own thread, the
// monitor thread): the process's last-line filter writes the dump, then this names the fault.
#pragma once
#include <windows.h>

// Installs the process's fault filter with this report (at start, before anything can fault).
void InstallFaultReport();
// Writes the last error "Event.UnhandledException.Error.Fault ..." (see DescribeFaultAt).
// Runs on the faulting thread.
void ReportUnhandledFault(const EXCEPTION_POINTERS* _pExceptionPointers);
// The trace line "<_pszSource>.Error.Fault[ in plug-in <file>] on thread <id> at <address>,
// code <code>" of a fault at _pAddress on this thread. A fault in a plug-in's code names the
// plug-in, which then counts as the one the run ended in. Returns that plug-in's module
// (null when the address lies in no plug-in).
HMODULE DescribeFaultAt(const wchar_t* _pszSource, const void* _pAddress, DWORD _dwCode, wchar_t* _pszLine,
                        size_t _cchLine);
