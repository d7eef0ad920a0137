// Names of the service states for trace lines.
#include "host/ServiceControl.h"

#include <strsafe.h>

const wchar_t* GetServiceStateName(DWORD _dwState)
{
    static const wchar_t* const s_apszNames[] = {L"STOPPED", L"START_PENDING", L"STOP_PENDING", L"RUNNING",
                                                 L"CONTINUE_PENDING", L"PAUSE_PENDING", L"PAUSED"};
    // One buffer per thread: the status is reported from the main and the service threads.
    static thread_local wchar_t s_szName[32];
    const bool bKnown = _dwState >= SERVICE_STOPPED && _dwState <= SERVICE_PAUSED;
    StringCchCopyW(s_szName, ARRAYSIZE(s_szName), bKnown ? s_apszNames[_dwState - 1] : L"UNKNOWN");
    return s_szName;
}
