// The hidden main window and the main thread's message loop.
#include "host/ServiceWindow.h"

#include "TelvarinPlugin.h"
#include "bus/MessageFilter.h"
#include "diag/CrashDump.h"
#include "diag/ExceptionGuard.h"
#include "host/HostState.h"
#include "ui/QelConfig.h"

namespace {

const wchar_t HOST_WINDOW_CLASS[] = L"Telvarin";
const DWORD MAIN_DUMP_TYPE = 1;   // MiniDumpWithDataSegs

void DispatchQueued(MSG& _msg)
{
    TranslateMessage(&_msg);
    if (_msg.message == 0 || !IsDispatchable(_msg, g_hWndParent))
        return;
    if (_msg.message == WM_KEYUP)
        g_QelConfig.OnSettingsKeyUp(_msg.hwnd, _msg.wParam);
    DispatchMessageW(&_msg);
}

int LoopBody()
{
    MSG msg = {};
    for (;;)
    {
        const BOOL bResult = GetMessageW(&msg, nullptr, 0, 0);
        if (bResult == 0)
            return static_cast<int>(msg.wParam);
        if (bResult == -1)
            return -1;
        DispatchQueued(msg);
    }
}

LONG CrashDumpFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    return WriteCrashDump(_pExceptionPointers, MAIN_DUMP_TYPE);
}

} // namespace

void CreateHostWindow()
{
    if (g_hWndParent)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = HostWindowProc;
    wc.hInstance = g_hInstance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    wc.lpszClassName = HOST_WINDOW_CLASS;
    RegisterClassExW(&wc);

    g_hWndParent = CreateWindowExW(0, HOST_WINDOW_CLASS, HOST_WINDOW_CLASS, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100,
                                   nullptr, nullptr, g_hInstance, nullptr);
    if (g_hWndParent)
    {
        SetWindowLongPtrW(g_hWndParent, GWLP_USERDATA, static_cast<LONG_PTR>(HOST_WINDOW_ID));
        ShowWindow(g_hWndParent, SW_HIDE);
    }
}

int RunMessageLoop()
{
    return RunGuarded(LoopBody, CrashDumpFilter);
}

void PumpPending()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        if (msg.message != 0 && IsDispatchable(msg, g_hWndParent))
            DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD _dwMilliseconds)
{
    for (DWORD dwRound = 0; dwRound < _dwMilliseconds / 100; ++dwRound)
    {
        PumpPending();
        Sleep(100);
    }
}
