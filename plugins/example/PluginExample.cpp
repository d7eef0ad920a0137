// A minimal plug-in: answers the host's load-time queries and, for every tray click, posts
// a trace line of its own to the host, which hands it to the debug plug-ins.
#include <windows.h>

#include "TelvarinPlugin.h"

namespace {

// A trace record (type 4): level, text and the calling thread, as the host's own lines.
bool PostTrace(UINT _uLevel, const wchar_t* _pszText)
{
    CBusRecordWriter record;
    record.AddNumber(L"Level", _uLevel);
    record.AddText(L"Text", _pszText);
    record.AddNumber(L"Thread", GetCurrentThreadId());
    return record.Post(FindHostMainWindow(), QEL_BUSMSG_TRACE);
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_TRAYCLICK)
    {
        wchar_t szText[128];
        StringCchPrintfW(szText, ARRAYSIZE(szText), L"EXAMPLE.Event.%s.Info.Tray icon clicked", GetBusTypeName(_uType));
        PostTrace(0, szText);
    }
    return 1;   // 0 would keep the message from the modules after this one in its list
}

int WINAPI DLL_GetPluginID(void) { return 4100; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Example"; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }

} // extern "C"
