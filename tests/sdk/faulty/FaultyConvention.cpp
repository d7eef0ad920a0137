// A 32-bit plug-in whose bus entry point lacks WINAPI: it is __cdecl, so it leaves its
// arguments on the stack that the host's __stdcall call expects it to remove. Declared
// without the SDK header, which would refuse the definition.
#include <windows.h>

extern "C" {

int __cdecl DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    return _uType != 0 || _pszRecord != nullptr;
}

int WINAPI DLL_GetPluginID(void) { return 4191; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Faulty convention"; }

} // extern "C"
