// Pause, continue and stop requests (message 1133) turned into host state on the main
// thread: reported to the system in service mode, shown in the tray menu and told to the
// plug-ins in tray mode.
#include "host/ServiceSide.h"

#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "diag/Trace.h"
#include "host/HostState.h"
#include "host/ServiceStatus.h"
#include "host/TrayActions.h"
#include "ui/InfoIcon.h"

namespace {

const DWORD STOPPED_PENDING_MS = 1000;

void ShowLocalState(BOOL _bRunning, UINT _uBusType)
{
    g_InfoIcon.EnableItem(CMD_PAUSE, _bRunning);
    g_InfoIcon.EnableItem(CMD_CONTINUE, !_bRunning);
    SendBusType(g_hWndParent, FALSE, _uBusType);
}

void MoveToState(DWORD _dwPending, DWORD _dwFinal, BOOL _bRunning, UINT _uBusType)
{
    SetStatus(_dwPending);
    if (!IsServiceMode())
        ShowLocalState(_bRunning, _uBusType);
    SetStatus(_dwFinal);
}

// Stop requests queued while a stop sequence ran are repeats of it: they are removed, up to
// the first other pause or continue request, which keeps its place. Without this, every
// repeat would hold the main thread for another second.
void DropQueuedStopRequests()
{
    MSG msg;
    while (PeekMessageW(&msg, g_hWndParent, WM_QEL_SERVICE, WM_QEL_SERVICE, PM_NOREMOVE | PM_QS_POSTMESSAGE) &&
           msg.wParam == SERVICE_STOPPED &&
           PeekMessageW(&msg, g_hWndParent, WM_QEL_SERVICE, WM_QEL_SERVICE, PM_REMOVE | PM_QS_POSTMESSAGE))
    {
    }
}

} // namespace

void DispatchServiceMessages(WPARAM _wParam)
{
    WriteTrace(2, L"Func.DispatchServiceMessages.Begin");
    WriteTrace(2, L"Func.DispatchServiceMessages.Param._wParam 0x%08X", static_cast<DWORD>(_wParam));
    switch (_wParam)
    {
    case SERVICE_RUNNING:
        WriteTrace(2, L"Func.DispatchServiceMessages.Info.SERVICE_RUNNING");
        MoveToState(SERVICE_CONTINUE_PENDING, SERVICE_RUNNING, TRUE, QEL_BUSMSG_SERVICERUNNING);
        break;
    case SERVICE_PAUSED:
        WriteTrace(2, L"Func.DispatchServiceMessages.Info.SERVICE_PAUSED");
        MoveToState(SERVICE_PAUSE_PENDING, SERVICE_PAUSED, FALSE, QEL_BUSMSG_SERVICEPAUSED);
        break;
    case SERVICE_STOPPED:
        WriteTrace(2, L"Func.DispatchServiceMessages.Info.SERVICE_STOPPED");
        SetStatus(SERVICE_STOP_PENDING);
        // The pause between the two reports is for the system's view of the service; where
        // nothing is reported (tray mode, or after the final STOPPED) a stop request that
        // another process posts must not hold the main thread.
        if (IsStatusReported())
            Sleep(STOPPED_PENDING_MS);
        SetStatus(SERVICE_STOPPED);
        DropQueuedStopRequests();
        break;
    default:
        break;
    }
    WriteTrace(2, L"Func.DispatchServiceMessages.End");
}
