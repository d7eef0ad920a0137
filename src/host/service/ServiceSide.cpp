// The Windows service side: dispatcher thread, service main, control handler, the status
// record and its reports, and the pause, continue and stop requests on the main thread.
#include "host/service/ServiceSide.h"

#include "TelvarinPlugin.h"
#include "UiResources.h"
#include "base/ErrorText.h"
#include "bus/BusRecord.h"
#include "bus/MainWindowHandle.h"
#include "config/HostLifecycle.h"
#include "config/RunMode.h"
#include "diag/Trace.h"
#include "host/service/ServiceControl.h"
#include "ui/InfoIcon.h"

// The service's threads: the dispatcher thread, the service main function and the control
// handler with one action per control. They only report status and hand work to the
// main window as window messages.
std::atomic<DWORD> g_dwServiceRunning{0};

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
    default: break;
    }
}

}   // namespace

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

namespace {

// A pause or continue reaches the main window unless the host is closing: the service's state
// is then on its way to STOPPED and stays there.
void PostServiceRequest(DWORD _dwState)
{
    if (!IsHostIn(HostStates(EHostState::Closing, EHostState::Ended)))
        PostMessageW(g_hWndParent, WM_QEL_SERVICE, _dwState, 0);
}

}   // namespace

void OnPause()
{
    WriteTrace(3, L"Func.OnPause.Begin");
    AdvanceServiceCheckpoint();
    PostServiceRequest(SERVICE_PAUSED);
    WriteTrace(3, L"Func.OnPause.End");
}

void OnContinue()
{
    WriteTrace(3, L"Func.OnContinue.Begin");
    AdvanceServiceCheckpoint();
    PostServiceRequest(SERVICE_RUNNING);
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

// The status record, its handle and the status reports of the service side.
namespace {

const DWORD SERVICE_TYPE_INTERACTIVE_OWN = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;   // 0x110
const DWORD CONTROLS_STOP_PAUSE_SHUTDOWN =
    SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;
const DWORD RECORD_POLL_MS = 10;

SERVICE_STATUS g_ServiceStatus = {};
// 0 before the handler is registered and after the final STOPPED report.
SERVICE_STATUS_HANDLE volatile g_hServiceStatus = nullptr;
volatile LONG g_lStatusRecordFilled = 0;

}   // namespace

void InitServiceStatus()
{
    g_ServiceStatus.dwServiceType = SERVICE_TYPE_INTERACTIVE_OWN;
    g_ServiceStatus.dwCurrentState = SERVICE_STOPPED;
    g_ServiceStatus.dwControlsAccepted = CONTROLS_STOP_PAUSE_SHUTDOWN;
    g_ServiceStatus.dwWin32ExitCode = 0;
    g_ServiceStatus.dwServiceSpecificExitCode = 0;
    g_ServiceStatus.dwCheckPoint = 0;
    g_ServiceStatus.dwWaitHint = 0;
    g_hServiceStatus = nullptr;
    InterlockedExchange(&g_lStatusRecordFilled, 1);
}

void WaitForServiceStatusRecord()
{
    while (InterlockedCompareExchange(&g_lStatusRecordFilled, 0, 0) == 0)
        Sleep(RECORD_POLL_MS);
}

bool RegisterServiceHandler()
{
    SetLastError(0);
    g_hServiceStatus = RegisterServiceCtrlHandlerW(TVR_SERVICE_NAME, Handler);
    return g_hServiceStatus != nullptr;
}

void ResetServiceProgress()
{
    g_ServiceStatus.dwWin32ExitCode = 0;
    g_ServiceStatus.dwCheckPoint = 0;
    g_ServiceStatus.dwWaitHint = 0;
}

void AdvanceServiceCheckpoint()
{
    ++g_ServiceStatus.dwCheckPoint;
}

void ReportServiceStatus(const wchar_t* _pszTraceFormat)
{
    SetLastError(0);
    if (SetServiceStatus(g_hServiceStatus, &g_ServiceStatus))
    {
        WriteTrace(2, _pszTraceFormat, L"OK");
        return;
    }
    wchar_t szError[256];
    FormatErrorText(GetLastError(), szError, ARRAYSIZE(szError));
    WriteTrace(2, _pszTraceFormat, szError);
}

void SetStatus(DWORD _dwState)
{
    WriteTrace(2, L"Func.SetStatus.Begin");
    WriteTrace(2, L"Func.SetStatus.Param._dwState %d", _dwState);
    WriteTrace(2, L"Func.SetStatus.Info.Statustext %s", GetServiceStateName(_dwState));
    if (IsServiceMode())
    {
        g_ServiceStatus.dwCurrentState = _dwState;
        if (g_hServiceStatus)
        {
            ReportServiceStatus(L"Func.SetStatus.Info.SetServiceStatus %s");
            // Nothing is reported after the final STOPPED.
            if (_dwState == SERVICE_STOPPED)
                g_hServiceStatus = nullptr;
        }
    }
    WriteTrace(2, L"Func.SetStatus.End");
}

bool IsStatusReported()
{
    return IsServiceMode() && g_hServiceStatus != nullptr;
}

void SetError(DWORD _dwSpecificError)
{
    WriteTrace(2, L"Func.SetError.Begin");
    WriteTrace(2, L"Func.SetError.Param._dwSpecificError %d", _dwSpecificError);
    if (!g_hServiceStatus)
    {
        WriteTrace(2, L"Func.SetError.Abort");
        return;
    }
    g_ServiceStatus.dwCurrentState = SERVICE_STOPPED;
    g_ServiceStatus.dwWin32ExitCode = ERROR_SERVICE_SPECIFIC_ERROR;
    g_ServiceStatus.dwServiceSpecificExitCode = _dwSpecificError;
    ReportServiceStatus(L"Func.SetError.Info.SetServiceStatus %s");
    WriteTrace(2, L"Func.SetError.End");
}

// Pause, continue and stop requests (message 1133) turned into host state on the main
// thread: reported to the system in service mode, shown in the tray menu and told to the
// plug-ins in tray mode.
namespace {

const DWORD STOPPED_PENDING_MS = 1000;

void ShowLocalState(BOOL _bRunning, UINT _uBusType)
{
    g_InfoIcon.EnableItem(IDM_TRAY_PAUSE, _bRunning);
    g_InfoIcon.EnableItem(IDM_TRAY_CONTINUE, !_bRunning);
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

}   // namespace

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
    default: break;
    }
    WriteTrace(2, L"Func.DispatchServiceMessages.End");
}
