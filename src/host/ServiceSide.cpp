// scaffold: replaced by the owning subsystem
#include "host/ServiceSide.h"
volatile DWORD g_dwServiceRunning = 0;
void InitServiceStatus() {}
DWORD WINAPI ServiceThread(LPVOID) { return 0; }
void WINAPI ServiceMain(DWORD, LPWSTR*) {}
void WINAPI Handler(DWORD) {}
void SetStatus(DWORD) {}
void SetError(DWORD) {}
void DispatchServiceMessages(WPARAM) {}
void OnStop() {}
void OnPause() {}
void OnContinue() {}
void OnShutdown() {}
void OnInterrogate() {}
