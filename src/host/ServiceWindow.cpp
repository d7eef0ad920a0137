// Construction and destruction of the main window object: plug-ins loaded, start-up
// report, monitor thread, timers, version check; and the ordered close of all lists.
#include "host/ServiceWindow.h"

#include "bus/BusRecord.h"
#include "bus/PluginBase.h"
#include "config/VersionHandler.h"
#include "diag/Trace.h"
#include "host/HostState.h"
#include "host/MonitorThread.h"
#include "host/ProgramVersion.h"
#include "host/ServiceSide.h"
#include "host/StartupReport.h"
#include "host/WindowTimers.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

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
const UINT TRAY_ICON_ID_BASE = 2311;
const UINT ICON_STOPPED = 129;
const UINT ICON_RUNNING = 130;
const UINT ICON_PAUSED = 137;

CPluginBase* const g_apLoadOrder[] = {&g_PluginDebug, &g_PluginSearch, &g_PluginSave,
                                      &g_PluginInfo,  &g_PluginExtra,  &g_PluginTelephony};

void CreateTrayIcon()
{
    g_InfoIcon.SetEnabled(TRUE);
    g_InfoIcon.Create(g_hInstance, g_hWndParent, WM_QEL_TRAYCALLBACK, GetCurrentProcessId() + TRAY_ICON_ID_BASE,
                      ICON_STOPPED, ICON_RUNNING, ICON_PAUSED);
    g_InfoIcon.SetTip(ProgramVersion().GetProductName());
    g_InfoIcon.SetState(0);
    g_InfoIcon.RemoveServiceItems();
}

void LoadAndStartDebugList()
{
    for (CPluginBase* pList : g_apLoadOrder)
        pList->LoadAllModules();
    Sleep(250);
    g_PluginDebug.AfterLoad();
    PumpFor(250);
}

void PrintModuleReports()
{
    for (CPluginBase* pList : g_apLoadOrder)
        pList->PrintFileInfos();
    static const wchar_t* const s_apszSubPrograms[] = {L"QELMHELP.EXE", L"Resource\\RESOURCE.DLL",
                                                       L"Resource\\De\\RESOURCE.DLL", L"Resource\\En\\RESOURCE.DLL"};
    for (const wchar_t* pszModule : s_apszSubPrograms)
        PrintSubProgram(pszModule);
    PrintSystemInfoFile();
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

} // namespace

CServiceWindow::CServiceWindow()
{
    g_pServiceWindow = this;
    LogLastError(L"OK");
    LogProgramStatus(L"STARTING");
    InitServiceStatus();
    ProgramVersion();
    if (!IsServiceMode())
        CreateTrayIcon();
    LoadAndStartDebugList();
    WriteStartupReport();
    PrintModuleReports();
    AfterLoadOtherLists();
    StartMonitorThread();
    WriteTrace(3, L"Func.CServiceWindow.Info.MonitorThread started");
    CompletePendingUpdate();
    WriteTrace(1, L"Func.CServiceWindow.Info.Application started");
    StartWindowTimers();
    AnnounceNewVersion(g_VersionHandler);
    LogProgramStatus(L"OK");
    WriteTrace(0, L"Func.CServiceWindow.End");
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

int CServiceWindow::DistributeBusMessage(UINT _uType, LPARAM _lBlock)
{
    return DistributeBusMessageToLists(_uType, _lBlock);
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
