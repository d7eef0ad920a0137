// The program entry: set-up, command-line switch, main window, start decision, run.
#pragma once
#include <windows.h>

int HostEntry(HINSTANCE _hInstance, const wchar_t* _pszCommandLine);
