// The smallest program with the host's platform set-up, as the yardstick of its start
// time and memory: OLE and the common controls initialised, one hidden top-level window,
// a message loop. WM_CLOSE ends it. With "--thread" it also runs one idle thread made as
// the host makes its monitor thread (2048 bytes of initial stack), which shows what one
// more thread costs on this system.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <cwchar>

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

DWORD WINAPI IdleThread(LPVOID)
{
    Sleep(INFINITE);
    return 0;
}

} // namespace

int WINAPI wWinMain(HINSTANCE _hInstance, HINSTANCE, PWSTR _pszCommandLine, int)
{
    OleInitialize(nullptr);
    if (wcsstr(_pszCommandLine, L"--thread") != nullptr)
    {
        DWORD dwThreadId = 0;
        if (HANDLE hThread = CreateThread(nullptr, 2048, IdleThread, nullptr, 0, &dwThreadId))
            CloseHandle(hThread);
    }
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
