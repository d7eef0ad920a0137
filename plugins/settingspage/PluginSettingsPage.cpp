// A plug-in with a settings page. "<own base name>.ini" beside the module, section "Page",
// gives Name, ID, CanDisable, Disabled and Log (the log file; default "<base name>.log"
// beside the module). The log gets one line "<base name>|<event>|<value>" for the after-load
// call, the page's creation, its WM_COMMAND 1 (or 2) and WM_HELP, DLL_SetDisableState and the apply
// bus types.
#include <windows.h>

#include <strsafe.h>

#include "TelvarinPlugin.h"

namespace {

const wchar_t PAGE_CLASS[] = L"TvrSettingsPageClass";
const int ID_CHANGE = 100;

struct SPageConfig
{
    bool bRead = false;
    wchar_t szBase[MAX_PATH] = L"";
    wchar_t szName[128] = L"";
    wchar_t szLog[MAX_PATH] = L"";
    int iId = 0;
    int iCanDisable = 0;
    int iDisabled = 0;
};

SPageConfig g_Config;

SPageConfig& Config()
{
    if (g_Config.bRead)
        return g_Config;
    g_Config.bRead = true;
    wchar_t szPath[MAX_PATH] = L"";
    GetModuleFileNameW(GetPluginModule(), szPath, ARRAYSIZE(szPath));
    wchar_t* pszDot = wcsrchr(szPath, L'.');
    if (pszDot)
        *pszDot = 0;
    const wchar_t* pszSlash = wcsrchr(szPath, L'\\');
    StringCchCopyW(g_Config.szBase, ARRAYSIZE(g_Config.szBase), pszSlash ? pszSlash + 1 : szPath);
    wchar_t szIni[MAX_PATH];
    wchar_t szDefaultLog[MAX_PATH];
    StringCchPrintfW(szIni, ARRAYSIZE(szIni), L"%s.ini", szPath);
    StringCchPrintfW(szDefaultLog, ARRAYSIZE(szDefaultLog), L"%s.log", szPath);
    GetPrivateProfileStringW(L"Page", L"Name", g_Config.szBase, g_Config.szName, ARRAYSIZE(g_Config.szName), szIni);
    GetPrivateProfileStringW(L"Page", L"Log", szDefaultLog, g_Config.szLog, ARRAYSIZE(g_Config.szLog), szIni);
    g_Config.iId = static_cast<int>(GetPrivateProfileIntW(L"Page", L"ID", 0, szIni));
    g_Config.iCanDisable = static_cast<int>(GetPrivateProfileIntW(L"Page", L"CanDisable", 0, szIni));
    g_Config.iDisabled = static_cast<int>(GetPrivateProfileIntW(L"Page", L"Disabled", 0, szIni));
    return g_Config;
}

void Log(const wchar_t* _pszEvent, int _iValue)
{
    const SPageConfig& config = Config();
    char szLine[512];
    StringCchPrintfA(szLine, ARRAYSIZE(szLine), "%ls|%ls|%d\r\n", config.szBase, _pszEvent, _iValue);
    HANDLE hFile = CreateFileW(config.szLog, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD dwWritten = 0;
    WriteFile(hFile, szLine, static_cast<DWORD>(lstrlenA(szLine)), &dwWritten, nullptr);
    CloseHandle(hFile);
}

LRESULT CALLBACK PageProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    switch (_uMsg)
    {
    case WM_HELP: Log(L"Help", 0); return TRUE;
    case WM_COMMAND:
        if (LOWORD(_wParam) == IDOK || LOWORD(_wParam) == IDCANCEL)
        {
            Log(L"Close", 0);
            DestroyWindow(_hWnd);
            return 0;
        }
        if (LOWORD(_wParam) == ID_CHANGE)
            PostMessageW(FindHostMainWindow(), WM_QEL_CONFIGCHANGED, 0, 0);
        return 0;
    default: return DefSettingsPageProc(_hWnd, _uMsg, _wParam, _lParam);
    }
}

HWND AddChild(HWND _hWndPage, const wchar_t* _pszClass, const wchar_t* _pszText, DWORD _dwStyle, int x, int y, int cx, int cy, int _iId)
{
    HWND hWnd = CreateWindowExW(0, _pszClass, _pszText, WS_CHILD | WS_VISIBLE | _dwStyle, x, y, cx, cy, _hWndPage,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(_iId)), GetPluginModule(), nullptr);
    SendMessageW(hWnd, WM_SETFONT, SendMessageW(GetParent(_hWndPage), WM_GETFONT, 0, 0), FALSE);
    return hWnd;
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t*)
{
    if (_uType == QEL_BUSMSG_APPLYCONFIG || _uType == QEL_BUSMSG_APPLYHOSTCONFIG)
        Log(L"Bus", static_cast<int>(_uType));
    return 1;
}

void WINAPI DLL_PluginAfterLoad(void) { Log(L"AfterLoad", 0); }
int WINAPI DLL_GetPluginID(void) { return Config().iId; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return Config().szName; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_CanDisable(void) { return Config().iCanDisable; }
int WINAPI DLL_GetDisableState(void) { return Config().iDisabled; }

void WINAPI DLL_SetDisableState(int _iDisable)
{
    Log(L"SetDisableState", _iDisable);
    Config().iDisabled = _iDisable;
}

HWND WINAPI DLL_ShowConfig(HWND _hWndParent)
{
    const HWND hWndPage = CreateSettingsPage(_hWndParent, PAGE_CLASS, PageProc, 400, 300);
    if (!hWndPage)
        return nullptr;
    wchar_t szText[256];
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"Settings of %s", Config().szName);
    AddChild(hWndPage, L"STATIC", szText, 0, 10, 10, 360, 22, -1);
    AddChild(hWndPage, L"STATIC", L"Server address:", 0, 10, 50, 120, 22, -1);
    AddChild(hWndPage, L"EDIT", L"pbx.example", WS_TABSTOP | ES_AUTOHSCROLL, 140, 50, 220, 24, 101);
    AddChild(hWndPage, L"BUTTON", L"Change", WS_TABSTOP | BS_OWNERDRAW, 140, 90, 90, 25, ID_CHANGE);
    Log(L"ShowConfig", 0);
    return hWndPage;
}

} // extern "C"
