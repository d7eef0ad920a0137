#include "host/HostEnd.h"

#include "host/HostState.h"
#include "host/ServiceControl.h"
#include "host/ServiceSide.h"

namespace {

const DWORD CONTROL_STOP = 1;

} // namespace

void ControlOwnService(DWORD _dwControl)
{
    StartOrControlService(_dwControl, TVR_SERVICE_NAME, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
}

void RequestHostEnd()
{
    if (g_dwServiceRunning)
        ControlOwnService(CONTROL_STOP);
    else
        PostMessageW(g_hWndParent, WM_DESTROY, 0, 0);
}
