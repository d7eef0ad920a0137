// scaffold: replaced by the owning subsystem
#include "host/ServiceWindow.h"
CServiceWindow* g_pServiceWindow = nullptr;
CServiceWindow::CServiceWindow() { g_pServiceWindow = this; }
CServiceWindow::~CServiceWindow() {}
int CServiceWindow::DistributeBusMessage(UINT, LPARAM) { return 1; }
void CServiceWindow::OnTrayNotify(UINT) {}
void CServiceWindow::OnCommand(UINT) {}
void CServiceWindow::CloseAllModules() {}
void CServiceWindow::LogLastError(const wchar_t*) {}
void CServiceWindow::LogProgramStatus(const wchar_t*) {}
void CServiceWindow::LogProgramMessage(const wchar_t*) {}
void CreateHostWindow() {}
LRESULT CALLBACK HostWindowProc(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcW(h, m, w, l); }
int RunMessageLoop() { return 0; }
void PumpPending() {}
void PumpFor(DWORD) {}
void CompletePendingUpdate() {}
