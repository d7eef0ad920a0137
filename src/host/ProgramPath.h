// Paths below the folder of the program file.
#pragma once
#include <windows.h>

// The program folder with a trailing backslash followed by _pszRelative; false (and an
// empty result) when the path does not fit.
bool BuildProgramPath(const wchar_t* _pszRelative, wchar_t* _pszOut, size_t _cchOut);
