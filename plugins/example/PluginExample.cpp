// A minimal plug-in: answers the host's queries and, for every tray click, sends a trace
// line of its own back to the host.
#include <windows.h>

#include "TelvarinPlugin.h"

namespace {

// The host's main window: found by its user data among this process's windows.
BOOL CALLBACK FindHost(HWND _hWnd, LPARAM _lParam)
{
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (dwPid == GetCurrentProcessId() && static_cast<DWORD>(GetWindowLongPtrW(_hWnd, GWLP_USERDATA)) == HOST_WINDOW_ID)
    {
        *reinterpret_cast<HWND*>(_lParam) = _hWnd;
        return FALSE;
    }
    return TRUE;
}

// Posts a trace record; the host owns the block once the post succeeded.
void PostTrace(const wchar_t* _pszText)
{
    HWND hWnd = nullptr;
    EnumWindows(FindHost, reinterpret_cast<LPARAM>(&hWnd));
    if (!hWnd)
        return;
    const size_t cchBlock = 16384 + 2;
    auto* pszRecord = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cchBlock * sizeof(wchar_t)));
    if (!pszRecord)
        return;
    BusRecordBegin(pszRecord, cchBlock);
    BusRecordAppend(pszRecord, cchBlock, BUS_FIELD_TYPE, QEL_BUSMSG_TRACE);
    BusRecordAppend(pszRecord, cchBlock, L" <value keyword=\"Level\">%u</value>\r\n", 0u);
    BusRecordAppend(pszRecord, cchBlock, L" <value keyword=\"Text\">%s</value>\r\n", _pszText);
    BusRecordAppend(pszRecord, cchBlock, L" <value keyword=\"Thread\">%d</value>\r\n", static_cast<int>(GetCurrentThreadId()));
    BusRecordEnd(pszRecord, cchBlock);
    if (!PostMessageW(hWnd, WM_QEL_BUS, QEL_BUSMSG_TRACE, reinterpret_cast<LPARAM>(pszRecord)))
        GlobalFree(pszRecord);
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_TRAYCLICK)
        PostTrace(L"EXAMPLE.Event.QEL_BUSMSG_TRAYCLICK.Info.Tray icon clicked");
    return 1;   // 0 would keep the message from the modules after this one in its list
}

int WINAPI DLL_GetPluginID(void) { return 4100; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Example"; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }

} // extern "C"
