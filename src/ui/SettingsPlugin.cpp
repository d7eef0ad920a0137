#include "ui/SettingsPlugin.h"

#include "TelvarinPlugin.h"
#include "bus/PluginBase.h"
#include "bus/PluginCall.h"

namespace {

// The exports of a listed module; none for a module that is not (or no longer) in a list.
const SPluginExports& ExportsOf(HMODULE _hModule)
{
    static const SPluginExports s_none;
    const CPluginModule* pModule = FindListedModule(_hModule);
    return pModule != nullptr ? pModule->GetExports() : s_none;
}

}   // namespace

HWND ShowPluginPage(HMODULE _hModule, HWND _hWndSettings)
{
    const HWND hWndPage = CallPluginFunction(_hModule, ExportsOf(_hModule).pfnShowConfig, DLL_NAME_SHOWCONFIG,
                                             static_cast<HWND>(nullptr), _hWndSettings);
    // The window is moved and sent commands later: only a child of the settings window is taken.
    return hWndPage && IsWindow(hWndPage) && GetParent(hWndPage) == _hWndSettings ? hWndPage : nullptr;
}

bool QueryPluginId(HMODULE _hModule, int* _piPluginId)
{
    const auto pfnGetPluginId = ExportsOf(_hModule).pfnGetPluginID;
    if (!pfnGetPluginId)
        return false;
    *_piPluginId = CallPluginFunction(_hModule, pfnGetPluginId, DLL_NAME_GETPLUGINID, 0);
    return true;
}

bool ReportsDisabled(HMODULE _hModule)
{
    return CallPluginFunction(_hModule, ExportsOf(_hModule).pfnGetDisableState, DLL_NAME_GETDISABLESTATE, 0) != 0;
}

bool ShowsTitleGreyed(HMODULE _hModule)
{
    if (CallPluginFunction(_hModule, ExportsOf(_hModule).pfnCanDisable, DLL_NAME_CANDISABLE, 0) == 0)
        return false;
    if (!ExportsOf(_hModule).pfnGetDisableState)
        return true;
    return ReportsDisabled(_hModule);
}
