// The service's threads: the dispatcher thread, the service main function and the control
// handler with one action per control. They only report status and hand work to the
// main window as window messages.
#include "host/ServiceSide.h"

#include "TelvarinPlugin.h"
#include "diag/Trace.h"
#include "host/HostState.h"
#include "host/ServiceControl.h"
#include "host/ServiceStatus.h"

volatile DWORD g_dwServiceRunning = 0;

namespace {

const DWORD DISPATCHER_DELAY_MS = 250;
const DWORD DISPATCHER_END_MS = 50;
const DWORD START_PENDING_MS = 100;
const DWORD RUNNING_POLL_MS = 50;
const DWORD STOP_PENDING_MS = 2500;
const DWORD HANDLER_REGISTRATION_FAILED = 4;

// Traces the control and runs its action; other controls do nothing.
void RunControl(DWORD _dwOpcode)
{
    switch (_dwOpcode)
    {
    case SERVICE_CONTROL_STOP:
        WriteTrace(3, L"Func.Handler.Event.SERVICE_CONTROL_STOP");
        OnStop();
        break;
    case SERVICE_CONTROL_PAUSE:
        WriteTrace(3, L"Func.Handler.Event.SERVICE_CONTROL_PAUSE");
        OnPause();
        break;
    case SERVICE_CONTROL_CONTINUE:
        WriteTrace(3, L"Func.Handler.Event.SERVICE_CONTROL_CONTINUE");
        OnContinue();
        break;
    case SERVICE_CONTROL_INTERROGATE:
        WriteTrace(3, L"Func.Handler.Event.SERVICE_CONTROL_INTERROGATE");
        OnInterrogate();
        break;
    case SERVICE_CONTROL_SHUTDOWN:
        WriteTrace(3, L"Func.Handler.Event.SERVICE_CONTROL_SHUTDOWN");
        OnShutdown();
        break;
    default:
        break;
    }
}

} // namespace

DWORD WINAPI ServiceThread(LPVOID _pThreadHandle)
{
    // The main window's constructor fills the status record meanwhile; a slow start of
    // the main window must not let the handler be registered before that.
    Sleep(DISPATCHER_DELAY_MS);
    WaitForServiceStatusRecord();
    SERVICE_TABLE_ENTRYW aTable[] = {{const_cast<LPWSTR>(TVR_SERVICE_NAME), ServiceMain}, {nullptr, nullptr}};
    const BOOL bResult = StartServiceCtrlDispatcherW(aTable);
    Sleep(DISPATCHER_END_MS);
    HANDLE* phThread = static_cast<HANDLE*>(_pThreadHandle);
    if (phThread && *phThread)
    {
        CloseHandle(*phThread);
        *phThread = nullptr;
    }
    return bResult;
}

void WINAPI ServiceMain(DWORD, LPWSTR*)
{
    // Set before the handler exists: a stop control can arrive as soon as it is registered,
    // and OnStop must find the flag set, or the stop would be lost.
    ResetServiceProgress();
    g_dwServiceRunning = 1;
    if (!RegisterServiceHandler())
    {
        g_dwServiceRunning = 0;
        SetError(HANDLER_REGISTRATION_FAILED);
        SetStatus(SERVICE_STOPPED);
        return;
    }
    // A stop taken on during the start has reported STOP_PENDING already; the start
    // reports must not turn it back into a running state.
    if (g_dwServiceRunning)
        SetStatus(SERVICE_START_PENDING);
    Sleep(START_PENDING_MS);
    if (g_dwServiceRunning)
        SetStatus(SERVICE_RUNNING);
    while (g_dwServiceRunning)
        Sleep(RUNNING_POLL_MS);
    // OnStop reported it; repeated in case a start report crossed that report.
    SetStatus(SERVICE_STOP_PENDING);
    Sleep(STOP_PENDING_MS);
    SetStatus(SERVICE_STOPPED);
    PostMessageW(g_hWndParent, WM_DESTROY, 0, 0);
}

void WINAPI Handler(DWORD _dwOpcode)
{
    WriteTrace(2, L"Func.Handler.Begin");
    WriteTrace(2, L"Func.Handler.Param._dwOpcode %d", _dwOpcode);
    RunControl(_dwOpcode);
    ReportServiceStatus(L"Func.Handler.Info.SetServiceStatus %s");
    WriteTrace(2, L"Func.Handler.End");
}

void OnStop()
{
    WriteTrace(3, L"Func.OnStop.Begin");
    g_dwServiceRunning = 0;
    AdvanceServiceCheckpoint();
    // STOP_PENDING is reported before the handler returns, so the manager answers the stop
    // with it. While the service still reports RUNNING after a stop, Wine's manager takes
    // any further control (an interrogate of a caller waiting for STOPPED) as a hung stop
    // and kills the process, leaving the service RUNNING in its books.
    SetStatus(SERVICE_STOP_PENDING);
    WriteTrace(3, L"Func.OnStop.End");
}

void OnPause()
{
    WriteTrace(3, L"Func.OnPause.Begin");
    AdvanceServiceCheckpoint();
    PostMessageW(g_hWndParent, WM_QEL_SERVICE, SERVICE_PAUSED, 0);
    WriteTrace(3, L"Func.OnPause.End");
}

void OnContinue()
{
    WriteTrace(3, L"Func.OnContinue.Begin");
    AdvanceServiceCheckpoint();
    PostMessageW(g_hWndParent, WM_QEL_SERVICE, SERVICE_RUNNING, 0);
    WriteTrace(3, L"Func.OnContinue.End");
}

void OnShutdown()
{
    WriteTrace(3, L"Func.OnShutdown.Begin");
    SetStatus(SERVICE_STOPPED);
    // Synchronous: the handler returns only after the main window has run its destruction.
    SendMessageW(g_hWndParent, WM_DESTROY, 0, 0);
    WriteTrace(3, L"Func.OnShutdown.End");
}

void OnInterrogate()
{
    WriteTrace(3, L"Func.OnInterrogate.Begin");
    WriteTrace(3, L"Func.OnInterrogate.End");
}
