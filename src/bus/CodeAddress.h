// Which addresses the host may call on request (message 1156, a timer procedure): code of
// the plug-in modules of the six lists. The program's own code, the language module, the
// system's modules and a plug-in's helper libraries are never called on request.
#pragma once
#include <windows.h>

// True when the address lies in an executable section of the module's image.
bool IsInModuleCode(HMODULE _hModule, const void* _pAddress);
// True when the address lies in the code of a plug-in module of one of the six lists.
bool IsPluginCodeAddress(const void* _pAddress);
// The plug-in module of the six lists whose code holds the address; null when none does.
HMODULE FindPluginModuleAt(const void* _pAddress);
