// Which addresses message 1156 may call: code of the program file or of a module the host
// loaded itself (the plug-ins of the six lists, the language module).
#pragma once
#include <windows.h>

// True when the address lies in an executable section of the module's image.
bool IsInModuleCode(HMODULE _hModule, const void* _pAddress);
// True when the address lies in the code of the program file or of a host-loaded module.
bool IsHostCodeAddress(const void* _pAddress);
