// The messages of the host's main window, in one table: who handles each, whether it may
// arrive posted, whether another thread or process may send it, and what becomes of the
// system's default handling. The message loops' filter, the modal loops' filter and the
// main window's guard all read it; a message handled in the window procedure has its row
// here, and a message without a row below WM_USER never reaches the window from the queue.
// To handle a new message: add its row, then its handler in the window procedure's table.
#pragma once
#include <windows.h>

#include <cstddef>

enum class EHandledBy
{
    Procedure,   // the window procedure acts on it
    Guard,       // the guard answers it before the procedure sees it
    System,      // only the system's default handling runs
};

// What the guard does with a message before the procedure sees it.
enum class EGuard
{
    None,              // nothing: the procedure, or the default handling, takes it
    Refuse,            // answered 0, the default handling never runs
    CloseOnly,         // a system command: SC_CLOSE passes, every other one is refused
    KeepHidden,        // a position change may move or size the window, never show it
    KeepStyleHidden,   // a style change never makes the window visible
};

struct SMainWindowMessage
{
    UINT uMsg;
    EHandledBy eHandledBy;
    bool bMayArrivePosted;   // may come from the queue (else the loops drop it)
    bool bFromOtherThread;   // may be sent by another thread or process
    bool bDefaultHandling;   // the system's default handling may run after the handler
    EGuard eGuard;
};

// The row of a message; nullptr when the table has none.
const SMainWindowMessage* FindMainWindowMessage(UINT _uMsg);
// Every row, in the table's order.
const SMainWindowMessage* MainWindowMessageTable(size_t* _pcRows);
