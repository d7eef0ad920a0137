#include "ui/ModalLoop.h"

#include "bus/MainWindowHandle.h"
#include "bus/MessageFilter.h"

void DispatchInModalLoop(MSG& _msg, HWND _hWndDialog)
{
    if (!IsDispatchable(_msg, g_hWndParent))
        return;
    if (_hWndDialog && IsWindow(_hWndDialog) && IsDialogMessageW(_hWndDialog, &_msg))
        return;
    TranslateMessage(&_msg);
    DispatchMessageW(&_msg);
}

namespace {

bool IsLoopInput(UINT _uMsg)
{
    return (_uMsg >= WM_KEYFIRST && _uMsg <= WM_KEYLAST) || (_uMsg >= WM_MOUSEFIRST && _uMsg <= WM_MOUSELAST) ||
           _uMsg == WM_CANCELMODE;
}

// A nonzero answer tells the system's loop that the message is dealt with: it is removed
// from the queue without being handled or dispatched.
LRESULT CALLBACK SystemLoopFilterProc(int _iCode, WPARAM _wParam, LPARAM _lParam)
{
    if (_iCode >= 0 && _lParam != 0)
    {
        const MSG& msg = *reinterpret_cast<const MSG*>(_lParam);
        if (!IsLoopInput(msg.message) && !IsDispatchable(msg, g_hWndParent))
            return 1;
    }
    return CallNextHookEx(nullptr, _iCode, _wParam, _lParam);
}

}   // namespace

CSystemLoopFilter::CSystemLoopFilter()
    : m_hHook(SetWindowsHookExW(WH_MSGFILTER, SystemLoopFilterProc, nullptr, GetCurrentThreadId()))
{
}
