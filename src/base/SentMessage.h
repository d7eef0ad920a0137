// Messages that another thread or process sends to one of the host's windows: the sender
// waits until the window procedure returns, so whatever waits for a person (a question, a
// message box, a menu, a modal dialog) answers it first.
#pragma once
#include <windows.h>

// True while the thread handles a message that another thread (of this or another process)
// sent, also after it has been answered; false for posted messages and the thread's own sends.
bool IsSentFromOtherThread();

// Answers a sender that still waits with _lResult, so that it goes on at once. The window
// procedure's own result is then ignored, and nothing the message points to may be read
// afterwards: the sender may already have freed it. Nothing happens when no sender waits.
void AnswerWaitingSender(LRESULT _lResult);
