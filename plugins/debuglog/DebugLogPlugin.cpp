// Exports of the trace-file plug-in: every trace line (bus type 4, field "Text") that
// reaches the debug list goes to the day's file in the host's log folder.
#include <windows.h>

#include "DailyLog.h"
#include "TelvarinPlugin.h"
#include "config/RegIniAccess.h"

namespace {

const int PLUGIN_ID = 4001;

CDailyLog& Log()
{
    // The host's own folder rule, linked from its configuration code, so both always agree.
    static CDailyLog s_log(GetLogFolder());
    return s_log;
}

int g_iDisabled = 0;

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_TRACE && !g_iDisabled)
        Log().WriteLine(GetBusValue(_pszRecord, L"Text"));
    return 1;
}

int WINAPI DLL_GetPluginID(void) { return PLUGIN_ID; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Trace file"; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }
int WINAPI DLL_IsBetaVersion(void) { return 0; }
int WINAPI DLL_CanDisable(void) { return 1; }
int WINAPI DLL_GetDisableState(void) { return g_iDisabled; }
void WINAPI DLL_SetDisableState(int _iDisable) { g_iDisabled = _iDisable ? 1 : 0; }

// Lines that arrive after a close (a session end that was cancelled) open the file again.
void WINAPI DLL_PluginBeforeClose(void) { Log().Close(); }

} // extern "C"
