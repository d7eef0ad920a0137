// The main window procedure and what it answers itself: the guard that keeps the window
// hidden and titled, its timers and the end of the user's session.
#include "host/window/MainWindowProc.h"

#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "base/RateLimit.h"
#include "base/SentMessage.h"
#include "bus/BusRecord.h"
#include "bus/MainWindowMessages.h"
#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/SharedMem.h"
#include "config/HostLifecycle.h"
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
    AdvanceHostState(EHostState::Ended);
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
    // The pumping while the plug-ins close may dispatch a second, posted WM_DESTROY, which
    // finds the host closing already.
    if (!AdvanceHostState(EHostState::Closing))
        return;
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

}   // namespace

namespace {

// The handlers of the window procedure: each takes the message's parameters and gives its
// answer.

// The tray menu, the settings window and the information dialog wait for a person: a
// sender on another thread is answered before any of them opens.
LRESULT HandleTrayNotify(HWND, WPARAM, LPARAM _lParam)
{
    AnswerWaitingSender(0);
    g_pServiceWindow->OnTrayNotify(static_cast<UINT>(_lParam));
    return 0;
}

LRESULT HandleCommand(HWND, WPARAM _wParam, LPARAM)
{
    AnswerWaitingSender(0);
    g_pServiceWindow->OnCommand(static_cast<UINT>(_wParam));
    return 0;
}

LRESULT HandleService(HWND, WPARAM _wParam, LPARAM)
{
    DispatchServiceMessages(_wParam);
    return 0;
}

LRESULT HandleTrace(HWND _hWnd, WPARAM _wParam, LPARAM _lParam)
{
    OnTraceRequest(_hWnd, _wParam, _lParam);
    return 0;
}

LRESULT HandleBus(HWND _hWnd, WPARAM _wParam, LPARAM _lParam)
{
    return OnBusMessage(_hWnd, static_cast<UINT>(_wParam), _lParam);
}

LRESULT HandleConfigChanged(HWND, WPARAM, LPARAM)
{
    OnConfigChanged();
    return 0;
}

LRESULT HandleModulesChanged(HWND, WPARAM, LPARAM)
{
    OnModulesChanged();
    return 0;
}

LRESULT HandleCallFunction(HWND, WPARAM, LPARAM _lParam)
{
    OnCallFunction(_lParam);
    return 0;
}

LRESULT HandleScheme(HWND _hWnd, WPARAM, LPARAM _lParam)
{
    OnSchemeChange(_hWnd, _lParam);
    return 0;
}

LRESULT HandleSetText(HWND _hWnd, WPARAM _wParam, LPARAM _lParam)
{
    OnSetTextRecord(_hWnd, _wParam, _lParam);
    return 0;
}

LRESULT HandleClose(HWND _hWnd, WPARAM, LPARAM)
{
    DestroyWindow(_hWnd);
    return 1;
}

LRESULT HandleQueryEndSession(HWND, WPARAM, LPARAM)
{
    OnQueryEndSession();
    return 0;
}

LRESULT HandleEndSession(HWND, WPARAM _wParam, LPARAM)
{
    OnEndSession(_wParam);
    return 0;
}

LRESULT HandlePowerBroadcast(HWND, WPARAM _wParam, LPARAM _lParam)
{
    OnPowerBroadcast(_wParam, _lParam);
    return 0;
}

LRESULT HandleTimer(HWND, WPARAM _wParam, LPARAM)
{
    OnWindowTimer(_wParam);
    return 0;
}

LRESULT HandleDestroy(HWND, WPARAM, LPARAM)
{
    OnDestroy();
    return 0;
}

// One handler per row of the main window's table that names the procedure. A handler's
// answer stands unless the row lets the default handling run after it.
struct SMessageHandler
{
    UINT uMsg;
    LRESULT (*pfnHandle)(HWND _hWnd, WPARAM _wParam, LPARAM _lParam);
    UINT fStates;   // the host states in which the handler runs (HostStates)
};

// From the start of the main window object to the end: the start pumps messages while it
// loads the plug-ins, and the end pumps them between the lists it closes.
constexpr UINT WHOLE_LIFE = HostStates(EHostState::Starting, EHostState::Running, EHostState::Closing);
// The end begins once: a WM_DESTROY that the end's own pumping dispatches is not another end.
constexpr UINT UNTIL_CLOSING = HostStates(EHostState::Starting, EHostState::Running);

const SMessageHandler s_aHandlers[] = {
    {WM_QEL_TRAYNOTIFY, HandleTrayNotify, WHOLE_LIFE},
    {WM_QEL_SERVICE, HandleService, WHOLE_LIFE},
    {WM_QEL_TRACE, HandleTrace, WHOLE_LIFE},
    {WM_QEL_BUS, HandleBus, WHOLE_LIFE},
    {WM_QEL_CONFIGCHANGED, HandleConfigChanged, WHOLE_LIFE},
    {WM_QEL_MODULESCHANGED, HandleModulesChanged, WHOLE_LIFE},
    {WM_QEL_CALLFUNCTION, HandleCallFunction, WHOLE_LIFE},
    {WM_QEL_SCHEME, HandleScheme, WHOLE_LIFE},
    {WM_COMMAND, HandleCommand, WHOLE_LIFE},
    {WM_SETTEXT, HandleSetText, WHOLE_LIFE},
    {WM_CLOSE, HandleClose, WHOLE_LIFE},
    {WM_QUERYENDSESSION, HandleQueryEndSession, WHOLE_LIFE},
    {WM_ENDSESSION, HandleEndSession, WHOLE_LIFE},
    {WM_POWERBROADCAST, HandlePowerBroadcast, WHOLE_LIFE},
    {WM_TIMER, HandleTimer, WHOLE_LIFE},
    {WM_DESTROY, HandleDestroy, UNTIL_CLOSING},
};

const SMessageHandler* FindHandler(UINT _uMsg)
{
    for (const SMessageHandler& handler : s_aHandlers)
    {
        if (handler.uMsg == _uMsg)
            return &handler;
    }
    return nullptr;
}

}   // namespace

bool HasMainWindowHandler(UINT _uMsg)
{
    return FindHandler(_uMsg) != nullptr;
}

LRESULT CALLBACK MainWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    LRESULT lResult = 0;
    if (GuardMainWindow(_hWnd, _uMsg, _wParam, _lParam, &lResult))
        return lResult;
    // Messages that arrive before the main window object exists get the default handling.
    if (GetHostState() == EHostState::NotStarted)
        return _uMsg == WM_SETTEXT ? 0 : DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    const SMainWindowMessage* pRow = FindMainWindowMessage(_uMsg);
    const SMessageHandler* pHandler =
        pRow != nullptr && pRow->eHandledBy == EHandledBy::Procedure ? FindHandler(_uMsg) : nullptr;
    if (pHandler != nullptr)
    {
        if (IsHostIn(pHandler->fStates))
            lResult = pHandler->pfnHandle(_hWnd, _wParam, _lParam);
        if (!pRow->bDefaultHandling)
            return lResult;
    }
    // After the shell restarts it broadcasts "TaskbarCreated": the tray icon goes back at once.
    else if (g_InfoIcon.OnTaskbarCreated(_uMsg))
        return 0;
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

namespace {

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

}   // namespace

bool GuardMainWindow(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, LRESULT* _plResult)
{
    // The window's own creation messages arrive before its handle is known.
    if (_hWnd == nullptr || _hWnd != g_hWndParent)
        return false;
    *_plResult = 0;
    // The default handling reads or fills what such a message's lParam points to.
    if (IsRefusedFromOtherThread(_uMsg))
        return true;
    const SMainWindowMessage* pRow = FindMainWindowMessage(_uMsg);
    switch (pRow != nullptr ? pRow->eGuard : EGuard::None)
    {
    case EGuard::Refuse: return true;
    case EGuard::CloseOnly: return (_wParam & 0xFFF0) != SC_CLOSE;
    case EGuard::KeepHidden: KeepHidden(_lParam); return false;
    case EGuard::KeepStyleHidden: KeepStyleHidden(_wParam, _lParam); return false;
    default: return false;
    }
}

namespace {

const UINT DEBUGSETTINGS_PERIOD_MS = 3600000;
const UINT WAKEUP_PERIOD_MS = 10000;

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

void StartWindowTimer(UINT_PTR _uTimerId, UINT _uPeriodMs)
{
    if (!SetTimer(g_hWndParent, _uTimerId, _uPeriodMs, nullptr))
        WriteTrace(0, L"Func.StartWindowTimers.Error.Timer %u not started: %lu", static_cast<UINT>(_uTimerId),
                   GetLastError());
}

}   // namespace

void StartWindowTimers()
{
    StartWindowTimer(TIMER_DEBUGSETTINGS, DEBUGSETTINGS_PERIOD_MS);
    StartWindowTimer(TIMER_WAKEUP, WAKEUP_PERIOD_MS);
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

}   // namespace

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
