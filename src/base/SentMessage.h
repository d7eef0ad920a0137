// Messages that another thread or process sends to one of the host's windows: the sender
// waits until the window procedure returns, so whatever waits for a person (a question, a
// message box, a menu, a modal dialog) answers it first.
#pragma once
#include <windows.h>

#include "base/Handle.h"

// True while the thread handles a message that another thread (of this or another process)
// sent, also after it has been answered; false for posted messages and the thread's own
// sends. On a thread with a CSenderWatch this is known for the innermost sent message; on
// others InSendMessageEx answers, which reports the outermost one.
bool IsSentFromOtherThread();

// Answers a sender that still waits with _lResult, so that it goes on at once. The window
// procedure's own result is then ignored, and nothing the message points to may be read
// afterwards: the sender may already have freed it. Nothing happens when no sender waits.
void AnswerWaitingSender(LRESULT _lResult);

// While the object lives, the thread learns for each sent message whether its own thread
// sent it (the system tells the hooks around every sent message). InSendMessageEx cannot
// tell, since a message the thread sends itself while it handles another thread's message
// reports that outer message.
class CSenderWatch
{
public:
    CSenderWatch();
    ~CSenderWatch();

private:
    CHookHandle m_hBefore;
    CHookHandle m_hAfter;
};
