// The main window procedure: every event of the host arrives here on the main thread.
#include "host/ServiceWindow.h"

#include "TelvarinPlugin.h"
#include "bus/PluginBase.h"
#include "bus/SharedMem.h"
#include "diag/Trace.h"
#include "host/BusMessages.h"
#include "host/HiddenWindowGuard.h"
#include "host/HostRequests.h"
#include "host/HostState.h"
#include "host/ServiceSide.h"
#include "host/SessionEnd.h"
#include "host/WindowTimers.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

namespace {

const DWORD SERVICE_STATE_STOPPED = 1;

// The only way the running host ends: plug-ins closed, tray icon removed, process ended.
void OnDestroy()
{
    // The pumping while the plug-ins close may dispatch a second, posted WM_DESTROY.
    static bool s_bEnding = false;
    if (s_bEnding)
        return;
    s_bEnding = true;
    WriteTrace(4, L"Event.WM_DESTROY.Begin");
    WriteTrace(4, L"Event.WM_DESTROY.End");
    g_QelConfig.SaveSettingsPosition();
    g_pServiceWindow->CloseAllModules();
    g_InfoIcon.Show(FALSE);
    g_InfoIcon.SetEnabled(FALSE);
    SetStatus(SERVICE_STATE_STOPPED);
    PostQuitMessage(0);
    g_hWndParent = nullptr;
    // Other processes read the host-running word; the entry's own clearing does not run on this path.
    SetSharedWord(SHM_HOSTRUNNING, 0);
    TerminateProcess(GetCurrentProcess(), 0);
}

void OnModulesChanged()
{
    g_PluginSearch.RefreshCanDisable();
    g_QelConfig.RefreshModuleList();
}

void OnConfigChanged()
{
    g_QelConfig.SetChanged(TRUE);
    g_QelConfig.UpdateButtons();
}

} // namespace

LRESULT CALLBACK HostWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    LRESULT lResult = 0;
    if (GuardHiddenWindow(_hWnd, _uMsg, _wParam, _lParam, &lResult))
        return lResult;
    // Messages that arrive before the main window object exists get the default handling.
    if (!g_pServiceWindow)
        return _uMsg == WM_SETTEXT ? 0 : DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    switch (_uMsg)
    {
    case WM_QEL_TRAYNOTIFY: g_pServiceWindow->OnTrayNotify(static_cast<UINT>(_lParam)); return 0;
    case WM_QEL_SERVICE: DispatchServiceMessages(_wParam); return 0;
    case WM_QEL_TRACE: OnTraceRequest(_hWnd, _wParam, _lParam); return 0;
    case WM_QEL_BUS: return OnBusMessage(_hWnd, static_cast<UINT>(_wParam), _lParam);
    case WM_QEL_CONFIGCHANGED: OnConfigChanged(); return 0;
    case WM_QEL_MODULESCHANGED: OnModulesChanged(); break;
    case WM_QEL_CALLFUNCTION: OnCallFunction(_lParam); break;
    case WM_QEL_SCHEME: OnSchemeChange(_hWnd, _lParam); break;
    case WM_COMMAND: g_pServiceWindow->OnCommand(static_cast<UINT>(_wParam)); return 0;
    case WM_SETTEXT: OnSetTextRecord(_hWnd, _wParam, _lParam); return 0;
    case WM_CLOSE: DestroyWindow(_hWnd); return 1;
    case WM_QUERYENDSESSION: OnQueryEndSession(); break;
    case WM_ENDSESSION: OnEndSession(_wParam); return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(_wParam, _lParam); break;
    case WM_TIMER: OnWindowTimer(_wParam); break;
    case WM_DESTROY: OnDestroy(); return 0;
    default: break;
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}
