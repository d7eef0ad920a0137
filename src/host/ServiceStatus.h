// The service status record and its reports to the service control manager, shared by
// the service side's threads (service main, control handler, main window) without a lock.
#pragma once
#include <windows.h>

// Returns once the main window's constructor has filled the status record: the handler
// must not be registered before (the filling clears the status handle).
void WaitForServiceStatusRecord();
// Clears the last error and registers Handler for the service; false when that fails.
bool RegisterServiceHandler();
// Win32 exit code, checkpoint and wait hint back to 0 before the start is reported.
void ResetServiceProgress();
// One more stop, pause or continue control taken on.
void AdvanceServiceCheckpoint();
// Reports the record as it is and traces the outcome at level 2 with the format, whose
// one %s becomes "OK" or the system's text of the error.
void ReportServiceStatus(const wchar_t* _pszTraceFormat);
// True while a status report reaches the system: in service mode, before the final STOPPED.
bool IsStatusReported();
