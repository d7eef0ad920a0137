// Ending the host and controlling its own service from the main window.
#pragma once
#include <windows.h>

// Sends a control (1 stop, 2 pause, 3 continue) to the service "Telvarin".
void ControlOwnService(DWORD _dwControl);
// Stops the service when it runs (the service side then ends the host), else posts
// WM_DESTROY to the main window.
void RequestHostEnd();
