// The program entry: set-up, command-line switch, main window, start decision, run; the
// command-line fields and the help file name it uses.
#include "host/entry/Entry.h"

#include <windows.h>
#include <cwchar>
#include <cwctype>
#include <commctrl.h>
#include <ole2.h>
#include <strsafe.h>

#include "TelvarinPlugin.h"
#include "base/Account.h"
#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "base/SentMessage.h"
#include "bus/PluginSortRule.h"
#include "bus/SharedMem.h"
#include "config/RegIniAccess.h"
#include "config/ResourceAccess.h"
#include "config/VersionHandler.h"
#include "diag/CrashDump.h"
#include "host/entry/Shortcuts.h"
#include "host/entry/StartMode.h"
#include "host/report/StartupReport.h"
#include "host/service/ServiceControl.h"
#include "host/window/FaultReport.h"
#include "host/window/MainWindow.h"
#include "host/window/MainWindowState.h"
#include "ui/InfoIcon.h"
#include "ui/ModalLoop.h"
#include "ui/QelConfig.h"
#include "ui/QelDlgColors.h"

// The program entry. The steps run in exactly this order: process-wide set-up, at most one
// command-line switch, the hidden main window, the start decision, the run.
namespace {

void GetProgramFile(wchar_t (&_szPath)[512])
{
    CopyModulePath(nullptr, _szPath, 512);
}

void RaisePriority()
{
    if (const CKernelHandle hProcess{OpenProcess(PROCESS_SET_INFORMATION, FALSE, GetCurrentProcessId())})
        SetPriorityClass(hProcess.Get(), HIGH_PRIORITY_CLASS);
}

void InitCommonControlClasses()
{
    INITCOMMONCONTROLSEX controls = {sizeof(INITCOMMONCONTROLSEX),
                                     ICC_LISTVIEW_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LINK_CLASS};
    InitCommonControlsEx(&controls);
}

// Steps 1 to 9: everything the later steps and every other subsystem rely on.
void SetUpProcess(HINSTANCE _hInstance)
{
    BuildHelpFileName(ProgramVersion().GetProductName(), g_szHelpFile, ARRAYSIZE(g_szHelpFile));
    g_SharedMem.OpenSharedMem();
    RaisePriority();
    OleInitialize(nullptr);
    InitCommonControlClasses();
    g_hInstance = _hInstance;
    g_RegIniAccess.Init(1);
    SetCrashDumpFallbackFolder(GetLogFolder());
    InstallFaultReport();
    g_QelConfig.LoadSettingsPosition();
    SetPluginLoadSortRule(g_QelConfig.GetLoadSortRule());
    g_ResourceAccess.Init();
    g_VersionHandler.Load();
    g_InfoIcon.Localize();
    g_DlgColors.SetScheme(MainWindowState().GetSchemeIndex());
}

void InstallOwnService()
{
    wchar_t szProgram[512];
    GetProgramFile(szProgram);
    InstallService(0x100, TVR_SERVICE_NAME, szProgram, SERVICE_AUTO_START, nullptr,
                   ProgramVersion().GetFileDescription(), ProgramVersion().GetProductName());
}

void RemoveOwnServiceAndHost()
{
    RemoveService(TVR_SERVICE_NAME);
    if (HWND hWndHost = FindHostWindow(GetDesktopWindow(), HOST_WINDOW_ID))
        SendMessageW(hWndHost, WM_CLOSE, 0, 0);
    Sleep(2500);
}

void MakeShortcuts(const wchar_t* _pszCommandLine)
{
    const ShortcutFields fields = SplitShortcutFields(_pszCommandLine);
    wchar_t szProgram[512];
    GetProgramFile(szProgram);
    CreateStartupShortcut(szProgram, fields.szLinkName);
    CreateStartMenuShortcut(fields.szMenuFolder, fields.szLinkName, szProgram);
}

// Step 10; true when the switch ends the entry.
bool RunSwitch(const wchar_t* _pszCommandLine)
{
    switch (ParseSwitch(_pszCommandLine))
    {
    case L'D': StartOrControlService(0, TVR_SERVICE_NAME, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS); return true;
    case L'I': InstallOwnService(); return true;
    case L'U': RemoveOwnServiceAndHost(); return true;
    case L'S': MakeShortcuts(_pszCommandLine); return false;
    default: return false;
    }
}

// Step 13: the host's life in the main window.
int Run()
{
    // Only the process that runs as the host names itself in the shared block: a second
    // start that hands over or refuses leaves the running host's words alone.
    // The shared word is 32 bits wide; window handles fit in 32 bits on 64-bit Windows too.
    SetSharedWord(SHM_MAINWINDOW, static_cast<LONG>(reinterpret_cast<LONG_PTR>(g_hWndParent)));
    SetSharedWord(SHM_HOSTRUNNING, 1);
    g_QelConfig.SetHelpFile(g_szHelpFile);
    // The loops the system runs on this thread (the tray menu, a window moved or sized)
    // dispatch what they take from the queue: they meet the main loop's filter too.
    const CSystemLoopFilter loopFilter;
    // The windows of this thread refuse what only their own thread may send them.
    const CSenderWatch senderWatch;
    int iResult = 0;
    {
        CServiceWindow window;
        iResult = RunMessageLoop();
        g_QelConfig.SaveSettingsPosition();
    }
    OleUninitialize();
    SetSharedWord(SHM_HOSTRUNNING, 0);
    return iResult;
}

}   // namespace

int HostEntry(HINSTANCE _hInstance, const wchar_t* _pszCommandLine)
{
    SetUpProcess(_hInstance);
    if (RunSwitch(_pszCommandLine))
        return 0;
    CreateHostWindow();
    if (IsSystemAccount())
        return StartServiceMode() ? Run() : -1;
    wchar_t szProgram[512];
    GetProgramFile(szProgram);
    switch (DecideTrayStart(szProgram))
    {
    case START_HANDOVER: HandOverToRunningHost(szProgram); return -1;
    case START_REFUSE: RefuseToRun(); return -1;
    default: return Run();
    }
}

wchar_t ParseSwitch(const wchar_t* _pszCommandLine)
{
    if (_pszCommandLine == nullptr || _pszCommandLine[0] != L'-')
        return 0;
    const wchar_t chLetter = static_cast<wchar_t>(std::towupper(_pszCommandLine[1]));
    switch (chLetter)
    {
    case L'D':
    case L'I':
    case L'S':
    case L'U': return chLetter;
    default: return 0;
    }
}

ShortcutFields SplitShortcutFields(const wchar_t* _pszCommandLine)
{
    ShortcutFields fields = {};
    // "-S" and one separator character come first.
    if (_pszCommandLine == nullptr || wcslen(_pszCommandLine) < 3)
        return fields;
    swscanf(_pszCommandLine + 3, L"%255l[^#]#%255l[^#]#%255l[^#]#", fields.szMenuFolder, fields.szLinkName,
            fields.szThird);
    return fields;
}

static const wchar_t s_szDefaultHelpFile[] = L"QELMARIS.CHM";

void BuildHelpFileName(const wchar_t* _pszProductName, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchCopyW(_pszOut, _cchOut, s_szDefaultHelpFile);
    if (_pszProductName == nullptr || _pszProductName[0] == 0)
        return;
    wchar_t szName[512] = L"";
    size_t nLength = 0;
    for (const wchar_t* p = _pszProductName; *p && nLength + 1 < ARRAYSIZE(szName); ++p)
        if (*p != L' ')
            szName[nLength++] = *p;
    szName[nLength] = 0;
    CharUpperW(szName);
    StringCchCatW(szName, ARRAYSIZE(szName), L".CHM");
    // Besides the current folder, where the help is opened from: a program started by a
    // shortcut, at log-on or as a service runs in some other folder.
    wchar_t szPath[MAX_PATH];
    if (GetFileAttributesW(szName) != INVALID_FILE_ATTRIBUTES || LocateHelpFile(szName, szPath, ARRAYSIZE(szPath)))
        StringCchCopyW(_pszOut, _cchOut, szName);
}
