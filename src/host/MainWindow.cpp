// The hidden main window and the main thread's message loop.
#include "host/ServiceWindow.h"

#include "TelvarinPlugin.h"
#include <strsafe.h>

#include "bus/BusRecordBuilder.h"
#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/PluginCall.h"
#include "diag/CrashDump.h"
#include "diag/ExceptionGuard.h"
#include "diag/Trace.h"
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

bool IsDebugModule(HMODULE _hModule)
{
    for (int iSlot = 0; iSlot < CPluginBase::MAX_SLOTS; ++iSlot)
    {
        if (g_PluginDebug.GetModuleHandle(iSlot) == _hModule)
            return true;
    }
    return false;
}

// A fault inside plug-in code names the module and the export as the last error and in a
// trace line. The loop that would carry the line ends with the fault, so the debug plug-ins
// get it directly, unless the fault lies in one of them.
void ReportFaultingPlugin()
{
    const SPluginCall call = CurrentPluginCall();
    wchar_t szCall[640];
    if (g_pServiceWindow == nullptr || !DescribePluginCall(call, szCall, ARRAYSIZE(szCall)))
        return;
    wchar_t szText[800];
    StringCchPrintfW(szText, ARRAYSIZE(szText), L"Func.RunMessageLoop.Error.Fault in plug-in %s", szCall);
    wchar_t szLine[1024];
    FormatTraceLine(szLine, ARRAYSIZE(szLine), szText);
    g_pServiceWindow->LogLastError(szLine);
    if (IsDebugModule(call.hModule))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_TRACE, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"Level\">%u</value>\r\n", 0u);
    record.AddField(L" <value keyword=\"Text\">%s</value>\r\n", szLine);
    record.AddField(L" <value keyword=\"Thread\">%d</value>\r\n", static_cast<int>(GetCurrentThreadId()));
    g_PluginDebug.DeliverBusMessage(QEL_BUSMSG_TRACE, record.Finish());
}

LONG CrashDumpFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    const LONG lResult = WriteCrashDump(_pExceptionPointers, MAIN_DUMP_TYPE);
    ReportFaultingPlugin();
    return lResult;
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
