// The smallest program with the host's platform set-up, as the yardstick of its start
// time and memory: OLE and the common controls initialised, one hidden top-level window,
// a message loop. WM_CLOSE ends it.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

namespace {

const wchar_t WINDOW_CLASS[] = L"TelvarinEmptyHost";

LRESULT CALLBACK EmptyWndProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_DESTROY)
    {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

} // namespace

int WINAPI wWinMain(HINSTANCE _hInstance, HINSTANCE, PWSTR, int)
{
    OleInitialize(nullptr);
    INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&icc);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = EmptyWndProc;
    wc.hInstance = _hInstance;
    wc.lpszClassName = WINDOW_CLASS;
    RegisterClassExW(&wc);
    HWND hWnd = CreateWindowExW(0, WINDOW_CLASS, WINDOW_CLASS, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr, nullptr,
                                _hInstance, nullptr);
    if (!hWnd)
        return 1;
    ShowWindow(hWnd, SW_HIDE);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    OleUninitialize();
    return 0;
}
