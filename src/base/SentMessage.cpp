#include "base/SentMessage.h"

#include <vector>

namespace {

// Whether a CSenderWatch hooks this thread, and for each sent message being handled on it,
// innermost last: true when another thread or process sent it.
thread_local bool t_bWatched = false;
thread_local std::vector<bool> t_vecSentFromOtherThread;

// The hooks' wParam is nonzero when the current thread sent the message.
LRESULT CALLBACK BeforeSentMessage(int _iCode, WPARAM _wParam, LPARAM _lParam)
{
    if (_iCode == HC_ACTION)
        t_vecSentFromOtherThread.push_back(_wParam == 0);
    return CallNextHookEx(nullptr, _iCode, _wParam, _lParam);
}

LRESULT CALLBACK AfterSentMessage(int _iCode, WPARAM _wParam, LPARAM _lParam)
{
    if (_iCode == HC_ACTION && !t_vecSentFromOtherThread.empty())
        t_vecSentFromOtherThread.pop_back();
    return CallNextHookEx(nullptr, _iCode, _wParam, _lParam);
}

}   // namespace

bool IsSentFromOtherThread()
{
    // A message without a hook call around it was dispatched from the queue or called directly.
    if (t_bWatched)
        return !t_vecSentFromOtherThread.empty() && t_vecSentFromOtherThread.back();
    return InSendMessageEx(nullptr) != ISMEX_NOSEND;
}

void AnswerWaitingSender(LRESULT _lResult)
{
    const DWORD dwSend = InSendMessageEx(nullptr);
    if ((dwSend & ISMEX_SEND) != 0 && (dwSend & ISMEX_REPLIED) == 0)
        ReplyMessage(_lResult);
}

CSenderWatch::CSenderWatch()
    : m_hBefore(SetWindowsHookExW(WH_CALLWNDPROC, BeforeSentMessage, nullptr, GetCurrentThreadId())),
      m_hAfter(SetWindowsHookExW(WH_CALLWNDPROCRET, AfterSentMessage, nullptr, GetCurrentThreadId()))
{
    t_bWatched = m_hBefore && m_hAfter;
}

CSenderWatch::~CSenderWatch()
{
    t_bWatched = false;
}
