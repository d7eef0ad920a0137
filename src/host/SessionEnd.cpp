#include "host/SessionEnd.h"

#include "diag/Trace.h"
#include "host/HostState.h"
#include "host/ServiceWindow.h"
#include "host/WindowTimers.h"

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
    if (_wEnding)
    {
        // The process ends with the session; a later query must not reopen anything.
        KillTimer(g_hWndParent, TIMER_SESSIONANSWER);
        return;
    }
    ReopenAfterSessionGoesOn();
}

void OnSessionAnswerTimer()
{
    ReopenAfterSessionGoesOn();
}
