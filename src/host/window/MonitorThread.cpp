// window/MonitorThread
#include "host/window/MonitorThread.h"

#include "base/Handle.h"
#include "base/SecurityAttributes.h"
#include "bus/BusRecord.h"
#include "bus/MainWindowHandle.h"
#include "bus/SharedMem.h"
#include "config/HostLifecycle.h"
#include "config/RunMode.h"
#include "diag/Trace.h"
#include "host/window/HangWatch.h"
#include "ui/InfoIcon.h"

std::atomic<DWORD> g_dwMonitorThreadId{0};

namespace {

// Owned by the main thread, which starts and stops the thread; the thread never touches it.
CKernelHandle g_hMonitorThread;
// Set when the thread is to end: its wait between two cycles ends at once, without polling
// the thread id (an idle host then wakes up once a cycle, not ten times a second).
CKernelHandle g_hStopEvent;

const DWORD CYCLE_MS = 3000;
const DWORD REQUEST_DELAY_MS = 3000;
// How long the stop waits for the thread's end. A waiting thread ends within milliseconds (the
// bound only covers a loaded machine's scheduling); one busy with a duty (the request flag's
// 3 s delay, a hang dump) would take longer than any bound worth waiting.
const DWORD STOP_WAIT_MS = 1000;

// The run flag: a thread whose id it no longer holds (0 after the stop, a later thread's id
// after a stop that did not see it end) ends.
bool IsToEnd()
{
    return g_dwMonitorThreadId != GetCurrentThreadId();
}

// Waits out the cycle; a plug-in call of the main thread that reaches the hang limit
// meanwhile is noticed when it does.
void WaitOneCycle()
{
    const ULONGLONG ullEnd = GetTickCount64() + CYCLE_MS;
    for (;;)
    {
        const ULONGLONG ullNow = GetTickCount64();
        if (IsToEnd() || ullNow >= ullEnd)
            return;
        const DWORD dwCycleLeft = static_cast<DWORD>(ullEnd - ullNow);
        const DWORD dwHangCheck = MsUntilHangCheck();
        const DWORD dwWait = dwHangCheck < dwCycleLeft ? dwHangCheck : dwCycleLeft;
        const DWORD dwResult = WaitForSingleObject(g_hStopEvent.Get(), dwWait);
        if (dwResult == WAIT_OBJECT_0)
            return;
        if (dwResult == WAIT_FAILED)
            Sleep(dwWait);   // no event: the cycle still lasts its 3 s
        CheckForHang();
    }
}

void AnswerRequestFlag()
{
    if (GetSharedWord(SHM_REQUEST) == 0)
        return;
    Sleep(REQUEST_DELAY_MS);
    SetSharedWord(SHM_REQUEST, 0);
    PostPluginInitiatedRecord(g_hWndParent, static_cast<UINT>(GetSharedWord(SHM_PLUGINID)), 0);
}

void KeepTrayIcon()
{
    if (IsServiceMode())
        return;
    if (!g_InfoIcon.IsPresent())
        g_InfoIcon.Show(FALSE);
    g_InfoIcon.Refresh();
}

}   // namespace

DWORD WINAPI MonitorThread(LPVOID)
{
    for (;;)
    {
        WaitOneCycle();
        if (IsToEnd())
            return 0;
        // The request flag and the tray icon are the running host's: while it starts, the start
        // shows the icon and loads the plug-ins (the thread watches only for hangs then), and
        // while it closes the end removes the icon.
        if (GetHostState() != EHostState::Running)
            continue;
        AnswerRequestFlag();
        KeepTrayIcon();
    }
}

void StartMonitorThread()
{
    if (g_hMonitorThread)
        return;
    if (!g_hStopEvent)
        g_hStopEvent.Reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    else
        ResetEvent(g_hStopEvent.Get());
    DWORD dwThreadId = 0;
    // The id is published before the thread's first test of it.
    g_hMonitorThread.Reset(
        CreateThread(GetNullDaclAttributes(), 2048, MonitorThread, nullptr, CREATE_SUSPENDED, &dwThreadId));
    if (!g_hMonitorThread)
        return;
    g_dwMonitorThreadId = dwThreadId;
    ResumeThread(g_hMonitorThread.Get());
}

void StopMonitorThread()
{
    if (!g_hMonitorThread)
        return;
    g_dwMonitorThreadId = 0;
    SetEvent(g_hStopEvent.Get());
    if (WaitForSingleObject(g_hMonitorThread.Get(), STOP_WAIT_MS) != WAIT_OBJECT_0)
        WriteTrace(1, L"Func.StopMonitorThread.Info.Monitor thread busy, left to end by itself");
    g_hMonitorThread.Reset();
}
