// The host's hidden main window, target of every bus message: the one place its handle is
// kept. The main window sets it when it exists and clears it at its end; the message
// filters, the settings window and the senders read it here.
#pragma once
#include <windows.h>

extern HWND g_hWndParent;
