// Plug-in status (bus type 11): status report, tray icon, tooltip, error instance.
#include "host/BusMessages.h"

#include "TelvarinPlugin.h"

#include "config/ResourceAccess.h"
#include "host/HostState.h"
#include "host/ProgramVersion.h"
#include "host/ServiceWindow.h"
#include "host/WindowState.h"
#include "ui/InfoIcon.h"

namespace {

const UINT IDS_ERROR_TIP_HINT = 1048;
const long STATE_ERROR = 3;

} // namespace

StatusAppearance GetStatusAppearance(long _lState)
{
    switch (_lState)
    {
    case 0: return {L"STOPPED", 0, false};
    case 1: return {L"STARTING", 0, false};
    case 2: return {L"OK", 1, false};
    case STATE_ERROR: return {L"ERROR", 0, true};
    case 4: return {L"PAUSED", 2, false};
    default: return {L"UNKNOWN", 1, false};
    }
}

void OnStatusMessage(const wchar_t* _pszRecord)
{
    g_uErrorInstance = 0;
    const long lState = GetBusNumber(_pszRecord, L"State");
    wchar_t szText[128];
    CopyBusValue(_pszRecord, L"Text", szText, ARRAYSIZE(szText));
    if (IsServiceMode())
        return;

    const StatusAppearance appearance = GetStatusAppearance(lState);
    g_pServiceWindow->LogProgramStatus(appearance.pszProgramStatus);
    g_InfoIcon.SetState(appearance.iIconState);
    const wchar_t* pszProductName = ProgramVersion().GetProductName();
    if (!appearance.bErrorTip)
    {
        g_InfoIcon.SetTip(pszProductName);
        return;
    }
    wchar_t szHint[128];
    StringCchCopyW(szHint, ARRAYSIZE(szHint), g_ResourceAccess.GetString(IDS_ERROR_TIP_HINT, L""));
    wchar_t szTip[256];
    CInfoIcon::BuildErrorTip(pszProductName, szText, szHint, szTip, ARRAYSIZE(szTip));
    g_InfoIcon.SetTip(szTip);
    g_uErrorInstance = static_cast<UINT_PTR>(wcstoull(GetBusValue(_pszRecord, L"Instance"), nullptr, 16));
}
