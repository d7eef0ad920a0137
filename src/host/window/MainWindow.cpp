// The host's hidden main window, the one object that stands for it (CServiceWindow), its
// message loop and the process-wide values of the entry.
#include "host/window/MainWindow.h"

#include "TelvarinPlugin.h"
#include "UiResources.h"
#include "base/ProgramPath.h"
#include "bus/BusRecord.h"
#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/RecordBlockReserve.h"
#include "config/HostLifecycle.h"
#include "config/VersionHandler.h"
#include "diag/StatusLog.h"
#include "diag/Trace.h"
#include "host/report/StartupReport.h"
#include "host/service/ServiceSide.h"
#include "host/window/CrashLoopBreaker.h"
#include "host/window/HangWatch.h"
#include "host/window/HostGuard.h"
#include "host/window/MainWindowProc.h"
#include "host/window/MonitorThread.h"
#include "host/window/TrayActions.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

#include <utility>

// Construction and destruction of the main window object: plug-ins loaded, start-up
// report, monitor thread, timers, version check; and the ordered close of all lists.
CServiceWindow* g_pServiceWindow = nullptr;

void AnnounceNewVersion(CVersionHandler& _handler)
{
    if (_handler.CheckVersion())
        PostVersionInfoRecord(g_hWndParent, _handler.GetHighestVersion(), _handler.GetActualVersion());
}

void ForwardTraceLine(DWORD _dwLevel, const wchar_t* _pszLine, bool _bFault)
{
    PostTraceRecord(g_hWndParent, _dwLevel, _pszLine, GetCurrentThreadId());
    if (_bFault)
        PostLastErrorRecord(g_hWndParent, _pszLine);
}

namespace {

const UINT WM_QEL_TRAYCALLBACK = WM_QEL_TRAYNOTIFY;
// Blocks made ahead for the start's reports: at debug level 0 they post about 55 lines
// (more with named plug-ins or a higher level, whose further lines get fresh blocks).
const size_t REPORT_BLOCKS = 64;
const UINT TRAY_ICON_ID_BASE = 2311;

CPluginBase* const g_apLoadOrder[] = {&g_PluginDebug, &g_PluginSearch, &g_PluginSave,
                                      &g_PluginInfo,  &g_PluginExtra,  &g_PluginTelephony};

void CreateTrayIcon()
{
    g_InfoIcon.SetEnabled(TRUE);
    g_InfoIcon.Create(g_hInstance, g_hWndParent, WM_QEL_TRAYCALLBACK, GetCurrentProcessId() + TRAY_ICON_ID_BASE,
                      IDI_STATE1, IDI_STATE0, IDI_STATE2);
    g_InfoIcon.SetTip(ProgramVersion().GetProductName());
    g_InfoIcon.SetState(0);
    g_InfoIcon.RemoveServiceItems();
}

// Sleeps what is left of _dwMilliseconds since _ullStart (GetTickCount64), if anything.
void SleepRest(ULONGLONG _ullStart, DWORD _dwMilliseconds)
{
    const ULONGLONG ullSpent = GetTickCount64() - _ullStart;
    if (ullSpent < _dwMilliseconds)
        Sleep(static_cast<DWORD>(_dwMilliseconds - ullSpent));
}

void LoadAndStartDebugList()
{
    for (CPluginBase* pList : g_apLoadOrder)
        pList->LoadAllModules();
    // The reports' facts are read, and the blocks of their lines made, during the 250 ms
    // wait (which lasts 250 ms as before, unless they take longer); the reports are written
    // in their place after it.
    const ULONGLONG ullWaitStart = GetTickCount64();
    GatherReportFacts();
    ReserveRecordBlocks(REPORT_BLOCKS);
    SleepRest(ullWaitStart, 250);
    g_PluginDebug.AfterLoad();
    PumpFor(250);
}

void PrintModuleReports()
{
    for (CPluginBase* pList : g_apLoadOrder)
        pList->PrintFileInfos();
    PrintSubPrograms();
    PrintSystemInfoFile();
    ReleaseRecordBlocks();
}

void AfterLoadOtherLists()
{
    WriteTrace(3, L"Func.CServiceWindow.Info.Begin After Load Action");
    for (CPluginBase* pList : g_apLoadOrder)
    {
        if (pList != &g_PluginDebug)
            pList->AfterLoad();
    }
    WriteTrace(3, L"Func.CServiceWindow.Info.End After Load Action");
}

// The start's steps, in their order, under the crash-dump guard.
int RunStartSequence(void*)
{
    g_pServiceWindow->LogLastError(L"OK");
    g_pServiceWindow->LogProgramStatus(L"STARTING");
    InitServiceStatus();
    ProgramVersion();
    if (!IsServiceMode())
        CreateTrayIcon();
    StartHangWatch();
    NoteHowTheLastRunEnded();
    // The thread starts before the first plug-in call, so that a plug-in hanging in its
    // load-time answers or its first after-load call is reported; until the host runs it
    // does nothing else.
    StartMonitorThread();
    LoadAndStartDebugList();
    ReportStoppedPlugins();
    WriteStartupReport();
    PrintModuleReports();
    AfterLoadOtherLists();
    // The line keeps its place among the start's steps: the thread's duties of the running
    // host begin from here on.
    WriteTrace(3, L"Func.CServiceWindow.Info.MonitorThread started");
    CompletePendingUpdate();
    WriteTrace(1, L"Func.CServiceWindow.Info.Application started");
    StartWindowTimers();
    AnnounceNewVersion(g_VersionHandler);
    g_pServiceWindow->LogProgramStatus(L"OK");
    AdvanceHostState(EHostState::Running);
    WriteTrace(0, L"Func.CServiceWindow.End");
    return 0;
}

}   // namespace

CServiceWindow::CServiceWindow()
{
    g_pServiceWindow = this;
    AdvanceHostState(EHostState::Starting);
    RunHostSequence(L"Func.CServiceWindow", RunStartSequence, nullptr);
}

CServiceWindow::~CServiceWindow()
{
    g_QelConfig.CloseConfig();
    StopMonitorThread();
    // Destroying the window runs WM_DESTROY, which ends the process; the status is
    // written first so that the report does not keep "OK" for an ended program.
    LogProgramStatus(L"ENDED");
    if (g_hWndParent)
    {
        DestroyWindow(g_hWndParent);
        g_hWndParent = nullptr;
    }
    UnregisterClassW(L"Telvarin", g_hInstance);
}

int CServiceWindow::DistributeBusMessage(UINT _uType, CBusBlock _block)
{
    return DistributeBusMessageToLists(_uType, std::move(_block));
}

void CServiceWindow::ReopenAllModules()
{
    g_PluginDebug.AfterLoad();
    AfterLoadOtherLists();
}

void CServiceWindow::CloseAllModules()
{
    CPluginBase* const apCloseOrder[] = {&g_PluginSearch, &g_PluginSave, &g_PluginInfo, &g_PluginExtra,
                                         &g_PluginTelephony};
    for (CPluginBase* pList : apCloseOrder)
        pList->BeforeClose();
    PumpPending();
    g_PluginDebug.BeforeClose();
    Sleep(500);
    PumpPending();
}

// The hidden main window and the main thread's message loop.
namespace {

const wchar_t HOST_WINDOW_CLASS[] = L"Telvarin";

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

}   // namespace

void CreateHostWindow()
{
    if (g_hWndParent)
        return;
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    wc.lpfnWndProc = MainWindowProc;
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
    return RunHostSequence(
        L"Func.RunMessageLoop", [](void*) { return LoopBody(); }, nullptr);
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

// Status report entries of the main window; values are stored verbatim, never as formats.
void CServiceWindow::OnTrayNotify(UINT _uMouseMessage)
{
    RunTrayNotify(_uMouseMessage);
}

void CServiceWindow::OnCommand(UINT _uCommand)
{
    RunTrayCommand(_uCommand);
}

void CServiceWindow::LogLastError(const wchar_t* _pszText)
{
    g_StatusLog.WriteStatus(L"LastError", L"Error", L"%s", _pszText ? _pszText : L"");
}

void CServiceWindow::LogProgramStatus(const wchar_t* _pszText)
{
    g_StatusLog.WriteStatus(L"ProgramStatus", L"Status", L"%s", _pszText ? _pszText : L"");
}

void CServiceWindow::LogProgramMessage(const wchar_t* _pszRecord)
{
    static const wchar_t* const s_apszKeys[] = {L"Type", L"Command", L"Partner", L"Sender"};
    for (const wchar_t* pszKey : s_apszKeys)
    {
        wchar_t szValue[32];
        CopyBusValue(_pszRecord, pszKey, szValue, ARRAYSIZE(szValue));
        g_StatusLog.WriteStatus(L"PrgMsg", pszKey, L"%s", szValue);
    }
}

// Update hand-over: a downloaded updater waits as XDOWNLOAD.EX_ until the host starts again.
void CompletePendingUpdate()
{
    wchar_t szPending[MAX_PATH];
    wchar_t szTarget[MAX_PATH];
    if (!BuildProgramPath(L"XDOWNLOAD.EX_", szPending, MAX_PATH) ||
        !BuildProgramPath(L"XDOWNLOAD.EXE", szTarget, MAX_PATH))
        return;
    if (GetFileAttributesW(szPending) == INVALID_FILE_ATTRIBUTES)
        return;
    // Only a completed copy lets the pending file go; otherwise the next start tries again.
    if (!CopyFileW(szPending, szTarget, FALSE))
        return;
    Sleep(25);
    DeleteFileW(szPending);
}

HINSTANCE g_hInstance = nullptr;
wchar_t g_szHelpFile[512] = L"";
