// The message handling of the user interface's own modal loops (message box, information
// dialog). Other processes can post to the main thread while such a loop runs: it drops
// what the host's main loop drops before the dialog or the system sees it.
#pragma once
#include <windows.h>

void DispatchInModalLoop(MSG& _msg, HWND _hWndDialog);
