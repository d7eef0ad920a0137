#include "host/HostEnd.h"

#include "host/HostState.h"
#include "host/ServiceControl.h"
#include "host/ServiceSide.h"

namespace {

const DWORD CONTROL_STOP = 1;
const DWORD MANAGER_ALL_ACCESS = 0xF003F;
const DWORD SERVICE_ALL_ACCESS_RIGHTS = 0xF01FF;

} // namespace

void ControlOwnService(DWORD _dwControl)
{
    StartOrControlService(_dwControl, TVR_SERVICE_NAME, MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS_RIGHTS);
}

void RequestHostEnd()
{
    if (g_dwServiceRunning)
        ControlOwnService(CONTROL_STOP);
    else
        PostMessageW(g_hWndParent, WM_DESTROY, 0, 0);
}
