#include "bus/MessageFilter.h"

#include <atomic>

#include "TelvarinPlugin.h"
#include "base/SentMessage.h"
#include "bus/CodeAddress.h"

namespace {

// The system messages the main window may find in its queue: the system's own timer,
// paint and quit handling, and the lifecycle messages the host or a remove switch posts.
bool IsQueuedMessageOfMainWindow(UINT _uMsg)
{
    switch (_uMsg)
    {
    case WM_NULL:
    case WM_DESTROY:
    case WM_CLOSE:
    case WM_TIMER:
    case WM_PAINT:
    case WM_COMMAND:
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_POWERBROADCAST: return true;
    default: return false;
    }
}

std::atomic<HWND> g_hWndDispatchMain{nullptr};

} // namespace

void SetDispatchMainWindow(HWND _hWndMain)
{
    g_hWndDispatchMain = _hWndMain;
}

HWND GetDispatchMainWindow()
{
    return g_hWndDispatchMain;
}

bool IsOwnThreadMessage(UINT _uMsg)
{
    switch (_uMsg)
    {
    case WM_INITDIALOG:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
    case WM_HELP:
    case WM_GETMINMAXINFO: return true;
    default: return false;
    }
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
    if (_msg.message < WM_USER)
        return IsQueuedMessageOfMainWindow(_msg.message);
    // A scheme record must stay valid until the host has read it, so plug-in code sends it;
    // a posted one points at memory that nobody vouches for once it is handled.
    return _msg.message != WM_QEL_SCHEME;
}
