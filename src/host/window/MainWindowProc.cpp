// The main window procedure and what it answers itself: the guard that keeps the window
// hidden and titled, its timers and the end of the user's session.
#include "host/window/MainWindowProc.h"

#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "base/RateLimit.h"
#include "base/SentMessage.h"
#include "bus/BusRecord.h"
#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/SharedMem.h"
#include "diag/Trace.h"
#include "host/service/ServiceSide.h"
#include "host/window/BusDispatch.h"
#include "host/window/HostGuard.h"
#include "host/window/HostRequests.h"
#include "host/window/MainWindow.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

// The main window procedure: every event of the host arrives here on the main thread.
namespace {

const DWORD SERVICE_STATE_STOPPED = 1;

// The only way the running host ends: plug-ins closed, tray icon removed, process ended.
int RunEndSequence(void*)
{
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
    return 0;
}

// Under the crash-dump guard of its own: WM_DESTROY also comes outside the message loop
// (the main window object's destructor, a message sent while the start pumps).
void OnDestroy()
{
    // The pumping while the plug-ins close may dispatch a second, posted WM_DESTROY.
    static bool s_bEnding = false;
    if (s_bEnding)
        return;
    s_bEnding = true;
    RunHostSequence(L"Event.WM_DESTROY", RunEndSequence, nullptr);
}

void OnModulesChanged()
{
    g_PluginSearch.RefreshCanDisable();
    g_QelConfig.RefreshModuleList();
}

// A page of the settings window reports a change by posting 1152 from the main thread. One
// while no settings window is open, or one sent from another thread, is no page's: taken,
// it would only lead to a question about a change the person never made.
void OnConfigChanged()
{
    if (!g_QelConfig.IsOpen() || IsSentFromOtherThread())
    {
        HostRefusals().Refuse(L"Event.WM_QEL_CONFIGCHANGED.Error.No open settings page reported it");
        return;
    }
    g_QelConfig.SetChanged(TRUE);
    g_QelConfig.UpdateButtons();
}

} // namespace

LRESULT CALLBACK MainWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    LRESULT lResult = 0;
    if (GuardMainWindow(_hWnd, _uMsg, _wParam, _lParam, &lResult))
        return lResult;
    // Messages that arrive before the main window object exists get the default handling.
    if (!g_pServiceWindow)
        return _uMsg == WM_SETTEXT ? 0 : DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    switch (_uMsg)
    {
    // The tray menu, the settings window and the information dialog wait for a person: a
    // sender on another thread is answered before any of them opens.
    case WM_QEL_TRAYNOTIFY:
        AnswerWaitingSender(0);
        g_pServiceWindow->OnTrayNotify(static_cast<UINT>(_lParam));
        return 0;
    case WM_QEL_SERVICE: DispatchServiceMessages(_wParam); return 0;
    case WM_QEL_TRACE: OnTraceRequest(_hWnd, _wParam, _lParam); return 0;
    case WM_QEL_BUS: return OnBusMessage(_hWnd, static_cast<UINT>(_wParam), _lParam);
    case WM_QEL_CONFIGCHANGED: OnConfigChanged(); return 0;
    case WM_QEL_MODULESCHANGED: OnModulesChanged(); break;
    case WM_QEL_CALLFUNCTION: OnCallFunction(_lParam); break;
    case WM_QEL_SCHEME: OnSchemeChange(_hWnd, _lParam); break;
    case WM_COMMAND:
        AnswerWaitingSender(0);
        g_pServiceWindow->OnCommand(static_cast<UINT>(_wParam));
        return 0;
    case WM_SETTEXT: OnSetTextRecord(_hWnd, _wParam, _lParam); return 0;
    case WM_CLOSE: DestroyWindow(_hWnd); return 1;
    case WM_QUERYENDSESSION: OnQueryEndSession(); break;
    case WM_ENDSESSION: OnEndSession(_wParam); return 0;
    case WM_POWERBROADCAST: OnPowerBroadcast(_wParam, _lParam); break;
    case WM_TIMER: OnWindowTimer(_wParam); break;
    case WM_DESTROY: OnDestroy(); return 0;
    default:
        // After the shell restarts it broadcasts "TaskbarCreated": the tray icon goes back at once.
        if (g_InfoIcon.OnTaskbarCreated(_uMsg))
            return 0;
        break;
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

namespace {

// The undocumented message that pops the system menu up (its default handling runs the menu).
const UINT WM_POPUPSYSTEMMENU = 0x0313;

// A position change may move or size the window but never show it.
void KeepHidden(LPARAM _lPosition)
{
    auto* pPosition = reinterpret_cast<WINDOWPOS*>(_lPosition);
    if (pPosition && IsBusMemoryReadable(pPosition, sizeof(WINDOWPOS)))
        pPosition->flags &= ~SWP_SHOWWINDOW;
}

void KeepStyleHidden(WPARAM _wWhich, LPARAM _lStyles)
{
    auto* pStyles = reinterpret_cast<STYLESTRUCT*>(_lStyles);
    if (static_cast<int>(_wWhich) == GWL_STYLE && pStyles && IsBusMemoryReadable(pStyles, sizeof(STYLESTRUCT)))
        pStyles->styleNew &= ~WS_VISIBLE;
}

} // namespace

bool GuardMainWindow(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, LRESULT* _plResult)
{
    // The window's own creation messages arrive before its handle is known.
    if (_hWnd == nullptr || _hWnd != g_hWndParent)
        return false;
    *_plResult = 0;
    // The default handling reads or fills what such a message's lParam points to.
    if (IsRefusedFromOtherThread(_uMsg))
        return true;
    switch (_uMsg)
    {
    case WM_SYSCOMMAND:
        // Closing stays possible, as through WM_CLOSE; restore, maximise, minimise,
        // move, size, hot keys and the rest would only show or activate the window.
        return (_wParam & 0xFFF0) != SC_CLOSE;
    case WM_NCCREATE:
    case WM_CREATE:
    case WM_NCDESTROY:
    case WM_SETREDRAW:
    case WM_SHOWWINDOW:
    case WM_SETHOTKEY:
        return true;
    case WM_POPUPSYSTEMMENU:
    case WM_CONTEXTMENU:
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONDBLCLK:
    case WM_NCRBUTTONDOWN:
    case WM_NCRBUTTONUP:
    case WM_NCRBUTTONDBLCLK:
    case WM_NCMBUTTONDOWN:
    case WM_NCMBUTTONDBLCLK:
    case WM_NCXBUTTONDOWN:
    case WM_NCXBUTTONDBLCLK:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        // Their default handling opens the system menu or tracks a frame button in a modal
        // loop of its own, which would hold the main thread until a click that never comes.
        return true;
    case WM_WINDOWPOSCHANGING:
        KeepHidden(_lParam);
        return false;
    case WM_STYLECHANGING:
        KeepStyleHidden(_wParam, _lParam);
        return false;
    default:
        return false;
    }
}

namespace {

const UINT DEBUGSETTINGS_PERIOD_MS = 3600000;
const UINT WAKEUP_PERIOD_MS = 10000;

UINT_PTR g_uDebugSettingsTimer = 0;
UINT_PTR g_uWakeUpTimer = 0;
// Set on resume from suspend, cleared by the next TIMER_WAKEUP tick.
DWORD g_dwWakeUp = 0;   // main thread only: set by the resume, read by the 10-s timer
// The hourly report is long; a tick that another process posts over and over is
// reported a few times a minute at most.
const UINT DEBUGSETTINGS_REPORTS_PER_MINUTE = 5;
CRateLimit g_DebugSettingsLimit(DEBUGSETTINGS_REPORTS_PER_MINUTE, 60000);

void OnDebugSettingsTimer()
{
    UINT uSuppressed = 0;
    if (!g_DebugSettingsLimit.Admit(GetTickCount(), &uSuppressed))
        return;
    WriteTrace(4, L"Event.TIMER_DEBUGSETTINGS.Begin");
    WriteTrace(0, L"Event.TIMER_DEBUGSETTINGS.Var.g_dwGlobalDebugLevel: %d", g_dwGlobalDebugLevel.load());
    g_PluginDebug.PrintFileInfos();
    WriteTrace(4, L"Event.TIMER_DEBUGSETTINGS.End");
}

void OnWakeUpTimer()
{
    if (!g_dwWakeUp)
        return;
    WriteTrace(4, L"Event.TIMER_WAKEUP.Begin");
    SendBusType(g_hWndParent, FALSE, QEL_BUSMSG_WAKEUP);
    WriteTrace(4, L"Event.TIMER_WAKEUP.End");
    g_dwWakeUp = 0;
}

} // namespace

void StartWindowTimers()
{
    g_uDebugSettingsTimer = SetTimer(g_hWndParent, TIMER_DEBUGSETTINGS, DEBUGSETTINGS_PERIOD_MS, nullptr);
    g_uWakeUpTimer = SetTimer(g_hWndParent, TIMER_WAKEUP, WAKEUP_PERIOD_MS, nullptr);
}

void OnWindowTimer(UINT_PTR _uTimerId)
{
    if (_uTimerId == TIMER_DEBUGSETTINGS)
        OnDebugSettingsTimer();
    else if (_uTimerId == TIMER_WAKEUP)
        OnWakeUpTimer();
    else if (_uTimerId == TIMER_SESSIONANSWER)
        OnSessionAnswerTimer();
}

void OnPowerBroadcast(WPARAM _wParam, LPARAM _lParam)
{
    WriteTrace(2, L"Event.WM_POWERBROADCAST.Begin");
    WriteTrace(2, L"Event.WM_POWERBROADCAST.Param._wParam 0x%08IX", _wParam);
    if (_wParam == PBT_APMRESUMESUSPEND)
        g_dwWakeUp = 1;
    WriteTrace(2, L"Event.WM_POWERBROADCAST.Param._lParam 0x%08IX", _lParam);
    WriteTrace(2, L"Event.WM_POWERBROADCAST.End");
}

namespace {

bool g_bClosedForSessionEnd = false;

void ReopenAfterSessionGoesOn()
{
    KillTimer(g_hWndParent, TIMER_SESSIONANSWER);
    if (!g_bClosedForSessionEnd)
        return;
    g_bClosedForSessionEnd = false;
    WriteTrace(1, L"Event.WM_ENDSESSION.Info.Session goes on, plug-ins reopened");
    g_pServiceWindow->ReopenAllModules();
}

} // namespace

void OnQueryEndSession()
{
    g_pServiceWindow->CloseAllModules();
    g_bClosedForSessionEnd = true;
    SetTimer(g_hWndParent, TIMER_SESSIONANSWER, SESSION_ANSWER_MS, nullptr);
}

void OnEndSession(WPARAM _wEnding)
{
    if (!_wEnding)
        ReopenAfterSessionGoesOn();
    else if (!g_bClosedForSessionEnd)
        OnQueryEndSession();   // reopened after a late answer: closed again before the end
}

void OnSessionAnswerTimer()
{
    ReopenAfterSessionGoesOn();
}
