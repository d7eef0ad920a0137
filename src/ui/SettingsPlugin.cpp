#include "ui/SettingsPlugin.h"

#include "TelvarinPlugin.h"
#include "bus/PluginCall.h"

namespace {

template <typename TFunction>
TFunction FindExport(HMODULE _hModule, const char* _pszName)
{
    return _hModule ? reinterpret_cast<TFunction>(GetProcAddress(_hModule, _pszName)) : nullptr;
}

} // namespace

HWND ShowPluginPage(HMODULE _hModule, HWND _hWndSettings)
{
    const HWND hWndPage = CallPluginFunction(_hModule, FindExport<PFN_DLL_ShowConfig>(_hModule, DLL_NAME_SHOWCONFIG),
                                             DLL_NAME_SHOWCONFIG, static_cast<HWND>(nullptr), _hWndSettings);
    // The window is moved and sent commands later: only a child of the settings window is taken.
    return hWndPage && IsWindow(hWndPage) && GetParent(hWndPage) == _hWndSettings ? hWndPage : nullptr;
}

bool QueryPluginId(HMODULE _hModule, int* _piPluginId)
{
    const auto pfnGetPluginId = FindExport<PFN_DLL_GetPluginID>(_hModule, DLL_NAME_GETPLUGINID);
    if (!pfnGetPluginId)
        return false;
    *_piPluginId = CallPluginFunction(_hModule, pfnGetPluginId, DLL_NAME_GETPLUGINID, 0);
    return true;
}

bool ReportsDisabled(HMODULE _hModule)
{
    return CallPluginFunction(_hModule, FindExport<PFN_DLL_GetDisableState>(_hModule, DLL_NAME_GETDISABLESTATE),
                              DLL_NAME_GETDISABLESTATE, 0) != 0;
}

bool ShowsTitleGreyed(HMODULE _hModule)
{
    if (CallPluginFunction(_hModule, FindExport<PFN_DLL_CanDisable>(_hModule, DLL_NAME_CANDISABLE),
                           DLL_NAME_CANDISABLE, 0) == 0)
        return false;
    if (!FindExport<PFN_DLL_GetDisableState>(_hModule, DLL_NAME_GETDISABLESTATE))
        return true;
    return ReportsDisabled(_hModule);
}
