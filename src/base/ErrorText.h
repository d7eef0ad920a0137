// The system's description of an error code, for trace lines.
#pragma once
#include <windows.h>

// Copies the system message text of _dwError (without its line break) into the buffer;
// "Error <code>" when the system has no text for it.
void FormatErrorText(DWORD _dwError, wchar_t* _pszOut, size_t _cchOut);
