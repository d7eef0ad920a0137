// A plug-in that accepts every bus message and does nothing with it.
#include <windows.h>

extern "C" int WINAPI DLL_PluginBusProcess(UINT, const wchar_t*)
{
    return 1;
}
