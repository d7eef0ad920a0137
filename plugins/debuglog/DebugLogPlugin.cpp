// Exports of the trace-file plug-in: every trace line (bus type 4, field "Text") that
// reaches the debug list goes to the day's file in the host's log folder. Its page sets the
// trace level, which it applies again at each start, and how many days of files it keeps.
#include <windows.h>

#include "DailyLog.h"
#include "LogRetention.h"
#include "TelvarinPlugin.h"
#include "TraceLevel.h"
#include "TracePage.h"
#include "TraceStore.h"
#include "config/RegIniAccess.h"

namespace {

const int PLUGIN_ID = 4001;

int g_iDisabled = 0;

// The host's own folder rule, linked from its configuration code, so both always agree.
const std::wstring& LogFolder()
{
    static const std::wstring s_strFolder(GetLogFolder());
    return s_strFolder;
}

CDailyLog& Log()
{
    static CDailyLog s_log(LogFolder());
    return s_log;
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_TRACE && !g_iDisabled)
        Log().WriteLine(GetBusValue(_pszRecord, L"Text"));
    else if (_uType == QEL_BUSMSG_APPLYCONFIG)
        ApplyTracePage();
    return 1;
}

// At each start: old daily files go, and the level chosen on the page is applied again.
void WINAPI DLL_PluginAfterLoad(void)
{
    CarryOverOldTraceSettings(GetConfigFolder());   // where earlier versions kept them
    const STraceSettings settings = LoadTraceSettings();
    SYSTEMTIME stToday;
    GetSystemTime(&stToday);
    DeleteOldDailyFiles(LogFolder(), settings.iKeepDays, stToday);
    if (settings.iLevel != TRACE_LEVEL_NONE)
        PostTraceLevel(settings.iLevel);
}

HWND WINAPI DLL_ShowConfig(HWND _hWndParent) { return CreateTracePage(_hWndParent, LogFolder()); }

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
