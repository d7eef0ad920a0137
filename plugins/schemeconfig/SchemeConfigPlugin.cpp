// The "Scheme config" plug-in of the Extra list: its settings page chooses the host's
// language, colour scheme and dialog font; Apply makes the host take the choice and keeps
// it, and every start applies the kept choice again.
#include <windows.h>

#include "SchemeChoice.h"
#include "SchemePage.h"
#include "TelvarinPlugin.h"

namespace {

// The name the host looks for when it reopens the settings window after a change.
const wchar_t PLUGIN_NAME[] = L"Scheme config";
const int PLUGIN_ID = 4200;

SSchemeChoice g_Applied;

// Runs on the host's main thread once the host is free to take the choice: after the
// settings window finished its Apply (the host closes and reopens the window, which it must
// not do while Apply still runs), and at start once the host's start is over (while it
// starts, the host leaves message 1157 unhandled).
void SendAppliedChoice()
{
    SendChoice(g_Applied);
}

void SendChoiceLater()
{
    PostMessageW(FindHostMainWindow(), WM_QEL_CALLFUNCTION, 0, reinterpret_cast<LPARAM>(&SendAppliedChoice));
}

void ApplyPage()
{
    if (!GetPageChoice(&g_Applied))
        return;
    KeepChoice(g_Applied);
    SendChoiceLater();
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    if (_uType == QEL_BUSMSG_SCHEME)
    {
        // A change of the host's look reopens the settings window before it is announced.
        TakeAnnouncedLook(_pszRecord);
        ShowLookOnPage();
    }
    else if (_uType == QEL_BUSMSG_APPLYCONFIG)
        ApplyPage();
    return 1;
}

void WINAPI DLL_PluginAfterLoad(void)
{
    if (LoadKeptChoice(&g_Applied))
        SendChoiceLater();
}

int WINAPI DLL_GetPluginID(void) { return PLUGIN_ID; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return PLUGIN_NAME; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }
HWND WINAPI DLL_ShowConfig(HWND _hWndParent) { return CreateSchemePage(_hWndParent); }

} // extern "C"
