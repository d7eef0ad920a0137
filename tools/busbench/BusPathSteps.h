// The cost of each step a bus message takes from PostBusRecord to the release of its block,
// timed one by one: where the time of a bus message goes.
#pragma once
#include <windows.h>

// Prints one line "step <name> <ns>" per step for the record (a type-4 record).
void PrintBusPathSteps(HWND _hWnd, const wchar_t* _pszRecord);
