// The status record, its handle and the status reports of the service side.
#include "host/ServiceStatus.h"

#include "diag/Trace.h"
#include "host/HostState.h"
#include "base/ErrorText.h"
#include "host/ServiceControl.h"
#include "host/ServiceSide.h"

namespace {

const DWORD SERVICE_TYPE_INTERACTIVE_OWN = SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS;   // 0x110
const DWORD CONTROLS_STOP_PAUSE_SHUTDOWN = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_PAUSE_CONTINUE | SERVICE_ACCEPT_SHUTDOWN;
const DWORD RECORD_POLL_MS = 10;

SERVICE_STATUS g_ServiceStatus = {};
// 0 before the handler is registered and after the final STOPPED report.
SERVICE_STATUS_HANDLE volatile g_hServiceStatus = nullptr;
volatile LONG g_lStatusRecordFilled = 0;

} // namespace

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
