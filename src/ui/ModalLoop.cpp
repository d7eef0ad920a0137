#include "ui/ModalLoop.h"

#include "bus/MessageFilter.h"

void DispatchInModalLoop(MSG& _msg, HWND _hWndDialog)
{
    if (!IsDispatchable(_msg, GetDispatchMainWindow()))
        return;
    if (_hWndDialog && IsWindow(_hWndDialog) && IsDialogMessageW(_hWndDialog, &_msg))
        return;
    TranslateMessage(&_msg);
    DispatchMessageW(&_msg);
}
