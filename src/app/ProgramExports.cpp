// What the program exports to its plug-ins (sdk/TelvarinPlugin.h): plain C names in the
// __cdecl convention, which carry no decoration on either architecture.
#include <windows.h>

#include <type_traits>

#include "TelvarinPlugin.h"
#include "host/window/PluginSettings.h"

extern "C" {

__declspec(dllexport) int __cdecl TVR_ReadPluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection,
                                                        const wchar_t* _pszKey, wchar_t* _pszValue, int _cchValue)
{
    return HostReadPluginSetting(_hPlugin, _pszSection, _pszKey, _pszValue, _cchValue);
}

__declspec(dllexport) int __cdecl TVR_WritePluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection,
                                                         const wchar_t* _pszKey, const wchar_t* _pszValue)
{
    return HostWritePluginSetting(_hPlugin, _pszSection, _pszKey, _pszValue);
}

}   // extern "C"

// The exports have the SDK's types: a signature that differs does not compile.
static_assert(std::is_same<decltype(&TVR_ReadPluginSetting), PFN_TVR_ReadPluginSetting>::value, "read export");
static_assert(std::is_same<decltype(&TVR_WritePluginSetting), PFN_TVR_WritePluginSetting>::value, "write export");
