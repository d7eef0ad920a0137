#include "host/WindowTimers.h"

#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "bus/PluginBase.h"
#include "diag/Trace.h"
#include "host/HostState.h"
#include "base/RateLimit.h"
#include "host/SessionEnd.h"

namespace {

const UINT DEBUGSETTINGS_PERIOD_MS = 3600000;
const UINT WAKEUP_PERIOD_MS = 10000;

UINT_PTR g_uDebugSettingsTimer = 0;
UINT_PTR g_uWakeUpTimer = 0;
// Set on resume from suspend, cleared by the next TIMER_WAKEUP tick.
volatile DWORD g_dwWakeUp = 0;
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
    WriteTrace(0, L"Event.TIMER_DEBUGSETTINGS.Var.g_dwGlobalDebugLevel: %d", g_dwGlobalDebugLevel);
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
