// Messages that end the host legitimately and are therefore never sent by the fuzzer.
#pragma once
#include <windows.h>

bool EndsHostLegitimately(UINT _uMsg, WPARAM _wParam);
// Bus type 10 ends the host; a type whose 32-bit value is 10 is never used.
bool IsExitBusType(unsigned long long _ullType);
