// Every process-wide object of the host, defined here and nowhere else: C++ constructs
// them in this order and destroys them in the reverse one. In Telvarin.exe CKillProcess ends
// the process with exit code 0 during teardown, so the objects above it are never destroyed, and the
// settings window object, the plug-in lists (Telephony first), the tray icon, the status
// report, the configuration store and the language texts are destroyed before it, in that order.
#include "bus/Crc32.h"
#include "bus/PluginBase.h"
#include "bus/SharedMem.h"
#include "config/RegIniAccess.h"
#include "config/ResourceAccess.h"
#include "config/VersionHandler.h"
#include "diag/StatusLog.h"
#include "app/KillProcess.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"
#include "ui/QelDlgColors.h"
#include "ui/QelMessageBox.h"

// Before any object below can trace: lines reach the plug-ins once the main window runs.
static const bool s_bTraceSinkInstalled = (SetTraceSink(&ForwardTraceLine), true);

CCrc32 g_Crc32;
CSharedMem g_SharedMem;
CVersionHandler g_VersionHandler;
CQelDlgColors g_DlgColors;
CQelDlgFonts g_DlgFonts;
CQelMessageBox g_MessageBox;
#ifdef TVR_KILL_PROCESS_AT_TEARDOWN
// Telvarin.exe only: tools and test programs that share these objects keep their exit codes.
static CKillProcess s_KillProcess;
#endif
CResourceAccess g_ResourceAccess;
CRegIniAccess g_RegIniAccess;
CStatusLog g_StatusLog(0);
CInfoIcon g_InfoIcon;
CPluginBase g_PluginDebug(L"PluginDebug");
CPluginBase g_PluginSearch(L"PluginSearch");
CPluginBase g_PluginInfo(L"PluginInfo");
CPluginBase g_PluginSave(L"PluginSave");
CPluginBase g_PluginExtra(L"PluginExtra");
CPluginBase g_PluginTelephony(L"PluginTelephony");
CQelConfig g_QelConfig;
