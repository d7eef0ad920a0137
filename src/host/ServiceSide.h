// The Windows service side: dispatcher thread, service main, control handler, status reports.
#pragma once
#include <windows.h>

extern volatile DWORD g_dwServiceRunning;   // set by ServiceMain, cleared by OnStop

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
