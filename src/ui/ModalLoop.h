// The message handling of the user interface's modal loops. Other processes can post to the
// main thread while such a loop runs: it drops what the host's main loop drops before the
// dialog or the system sees it.
#pragma once
#include <windows.h>

#include "base/Handle.h"

// One message of the user interface's own loops (message box, information dialog).
void DispatchInModalLoop(MSG& _msg, HWND _hWndDialog);

// For the loops the system runs itself on the thread and offers each message to the message
// filter hook (menus, scroll bars, dialog boxes; Wine also its move and size loop): while
// the object lives, that hook discards what the main loop drops. Input and the cancel
// request pass, since such a loop handles them itself instead of dispatching them.
class CSystemLoopFilter
{
public:
    CSystemLoopFilter();

private:
    CHookHandle m_hHook;
};
