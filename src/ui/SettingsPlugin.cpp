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
    const auto pfnShowConfig = FindExport<PFN_DLL_ShowConfig>(_hModule, DLL_NAME_SHOWCONFIG);
    if (!pfnShowConfig)
        return nullptr;
    HWND hWndPage = nullptr;
    {
        CPluginCallScope call(_hModule, DLL_NAME_SHOWCONFIG);
        hWndPage = pfnShowConfig(_hWndSettings);
    }
    // The window is moved and sent commands later: only a child of the settings window is taken.
    return hWndPage && IsWindow(hWndPage) && GetParent(hWndPage) == _hWndSettings ? hWndPage : nullptr;
}

bool QueryPluginId(HMODULE _hModule, int* _piPluginId)
{
    const auto pfnGetPluginId = FindExport<PFN_DLL_GetPluginID>(_hModule, DLL_NAME_GETPLUGINID);
    if (!pfnGetPluginId)
        return false;
    CPluginCallScope call(_hModule, DLL_NAME_GETPLUGINID);
    *_piPluginId = pfnGetPluginId();
    return true;
}

bool ReportsDisabled(HMODULE _hModule)
{
    const auto pfnGetDisableState = FindExport<PFN_DLL_GetDisableState>(_hModule, DLL_NAME_GETDISABLESTATE);
    if (!pfnGetDisableState)
        return false;
    CPluginCallScope call(_hModule, DLL_NAME_GETDISABLESTATE);
    return pfnGetDisableState() != 0;
}

bool ShowsTitleGreyed(HMODULE _hModule)
{
    const auto pfnCanDisable = FindExport<PFN_DLL_CanDisable>(_hModule, DLL_NAME_CANDISABLE);
    if (!pfnCanDisable)
        return false;
    {
        CPluginCallScope call(_hModule, DLL_NAME_CANDISABLE);
        if (pfnCanDisable() == 0)
            return false;
    }
    if (!FindExport<PFN_DLL_GetDisableState>(_hModule, DLL_NAME_GETDISABLESTATE))
        return true;
    return ReportsDisabled(_hModule);
}
