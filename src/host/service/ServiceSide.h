// The Windows service side: dispatcher thread, service main, control handler, the status
// record and its reports, and the pause, continue and stop requests on the main thread.
#pragma once
#include <windows.h>

#include <atomic>

// The Windows service side: dispatcher thread, service main, control handler, status reports.
extern std::atomic<DWORD> g_dwServiceRunning;   // set by ServiceMain, cleared by OnStop

// Fills the status record (type 0x110, STOPPED, controls 7) and clears the status handle.
void InitServiceStatus();
DWORD WINAPI ServiceThread(LPVOID _pThreadHandle);
void WINAPI ServiceMain(DWORD _dwArgc, LPWSTR* _ppszArgv);
void WINAPI Handler(DWORD _dwOpcode);
void SetStatus(DWORD _dwState);
void SetError(DWORD _dwSpecificError);
void DispatchServiceMessages(WPARAM _wParam);
void OnStop();
void OnPause();
void OnContinue();
void OnShutdown();
void OnInterrogate();

// The service status record and its reports to the service control manager, shared by
// the service side's threads (service main, control handler, main window) without a lock.
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
