// Tray icon clicks and tray menu commands of the main window, and ending the host from it.
#include "host/window/TrayActions.h"

#include <shellapi.h>
#include <strsafe.h>

#include "TelvarinPlugin.h"
#include "base/ProgramPath.h"
#include "bus/BusRecord.h"
#include "bus/MainWindowHandle.h"
#include "config/RegIniAccess.h"
#include "host/service/ServiceControl.h"
#include "host/service/ServiceSide.h"
#include "host/window/MainWindowState.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"

namespace {

const DWORD CONTROL_PAUSE = 2;
const DWORD CONTROL_CONTINUE = 3;
const WPARAM SERVICE_STATE_RUNNING = 4;   // SERVICE_RUNNING
const WPARAM SERVICE_STATE_PAUSED = 7;    // SERVICE_PAUSED

bool IsKeyDown(int _iVirtualKey)
{
    return (GetKeyState(_iVirtualKey) & 0x80) != 0;
}

// Opens a folder in Explorer; the folder is quoted so that blanks in it are kept.
void OpenFolder(const wchar_t* _pszFolder)
{
    wchar_t szParameter[MAX_PATH + 2];
    if (FAILED(StringCchPrintfW(szParameter, ARRAYSIZE(szParameter), L"\"%s\"", _pszFolder)))
        return;
    ShellExecuteW(nullptr, L"open", L"explorer", szParameter, nullptr, SW_SHOWNORMAL);
}

void OpenProgramFolder()
{
    wchar_t szFolder[MAX_PATH];
    if (!BuildProgramPath(L"", szFolder, ARRAYSIZE(szFolder)))
        return;
    szFolder[wcslen(szFolder) - 1] = 0;   // without the trailing backslash
    OpenFolder(szFolder);
}

void OnLeftButtonUp()
{
    if (IsKeyDown('C'))
        OpenFolder(GetConfigFolder());
    else if (IsKeyDown('L'))
        OpenFolder(GetLogFolder());
    else if (IsKeyDown('S'))
        OpenProgramFolder();
    else
        SendBusType(g_hWndParent, FALSE, QEL_BUSMSG_TRAYCLICK);
}

void OnTrayExit()
{
    if (!MainWindowState().BeginExit())
        return;
    g_QelConfig.CloseConfig();
    g_InfoIcon.CloseInfoDialog();
    g_InfoIcon.Show(FALSE);
    g_InfoIcon.SetEnabled(FALSE);
    RequestHostEnd();
    MainWindowState().EndExit();
}

}   // namespace

void RunTrayNotify(UINT _uMouseMessage)
{
    switch (_uMouseMessage)
    {
    case WM_LBUTTONUP: OnLeftButtonUp(); break;
    case WM_LBUTTONDBLCLK:
        if (SendBusType(g_hWndParent, TRUE, QEL_BUSMSG_TRAYDBLCLICK) != 0)
            g_QelConfig.ShowConfig(MainWindowState().GetErrorInstance());
        break;
    case WM_RBUTTONUP:
        SendBusType(g_hWndParent, TRUE, QEL_BUSMSG_TRAYRCLICK);
        g_InfoIcon.ShowMenu();
        break;
    default: break;
    }
}

void RunTrayCommand(UINT _uCommand)
{
    switch (_uCommand)
    {
    case CMD_SHOWCONFIG: g_QelConfig.ShowConfig(0); break;
    case CMD_SHOWINFO: g_InfoIcon.ShowInfoDialog(); break;
    case CMD_SHOWHELP: g_QelConfig.ShowHelp(HELP_TOPIC_MAIN, TRUE); break;
    case CMD_PAUSE:
        if (g_dwServiceRunning)
            ControlOwnService(CONTROL_PAUSE);
        else
            SendMessageW(g_hWndParent, WM_QEL_SERVICE, SERVICE_STATE_PAUSED, 0);
        break;
    case CMD_CONTINUE:
        if (g_dwServiceRunning)
            ControlOwnService(CONTROL_CONTINUE);
        else
            SendMessageW(g_hWndParent, WM_QEL_SERVICE, SERVICE_STATE_RUNNING, 0);
        break;
    case CMD_EXIT: OnTrayExit(); break;
    default: PostMenuCommandRecord(g_hWndParent, FALSE, _uCommand, 0); break;
    }
}

namespace {

const DWORD CONTROL_STOP = 1;

}   // namespace

void ControlOwnService(DWORD _dwControl)
{
    StartOrControlService(_dwControl, TVR_SERVICE_NAME, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
}

void RequestHostEnd()
{
    if (g_dwServiceRunning)
        ControlOwnService(CONTROL_STOP);
    else
        PostMessageW(g_hWndParent, WM_DESTROY, 0, 0);
}
