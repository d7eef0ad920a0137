// A plug-in whose bus entry point takes the record as a narrow text: the SDK header's
// prototype makes this a compile error instead of a crash at the first bus message.
#include <windows.h>

#include "TelvarinPlugin.h"

extern "C" int WINAPI DLL_PluginBusProcess(UINT _uType, const char* _pszRecord)
{
    return _pszRecord != nullptr && _uType != 0;
}
