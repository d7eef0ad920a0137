#include "base/SentMessage.h"

bool IsSentFromOtherThread()
{
    return InSendMessageEx(nullptr) != ISMEX_NOSEND;
}

void AnswerWaitingSender(LRESULT _lResult)
{
    const DWORD dwSend = InSendMessageEx(nullptr);
    if ((dwSend & ISMEX_SEND) != 0 && (dwSend & ISMEX_REPLIED) == 0)
        ReplyMessage(_lResult);
}
