#include "bus/MessageFilter.h"

#include "base/SentMessage.h"
#include "bus/CodeAddress.h"
#include "bus/MainWindowMessages.h"

bool IsOwnThreadMessage(UINT _uMsg)
{
    const SMainWindowMessage* pRow = FindMainWindowMessage(_uMsg);
    return pRow != nullptr && !pRow->bFromOtherThread;
}

bool IsRefusedFromOtherThread(UINT _uMsg)
{
    return IsOwnThreadMessage(_uMsg) && IsSentFromOtherThread();
}

bool IsDispatchable(const MSG& _msg, HWND _hWndMain)
{
    // Nobody posts these; a posted one carries another process's pointer.
    if (IsOwnThreadMessage(_msg.message))
        return false;
    // A timer procedure is the message's lParam, which DispatchMessage would call. The host
    // sets its timers without one, so only a plug-in's own procedure is ever called.
    if ((_msg.message == WM_TIMER || _msg.message == WM_SYSTIMER) && _msg.lParam != 0)
        return IsPluginCodeAddress(reinterpret_cast<const void*>(_msg.lParam));
    if (_msg.hwnd == nullptr || _msg.hwnd != _hWndMain)
        return true;
    // The main window takes from its queue what its table lets arrive posted, and the
    // messages of plug-ins and the shell above WM_USER that it has no row for.
    const SMainWindowMessage* pRow = FindMainWindowMessage(_msg.message);
    return pRow != nullptr ? pRow->bMayArrivePosted : _msg.message >= WM_USER;
}
