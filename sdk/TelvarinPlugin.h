// Telvarin plug-in interface: what a plug-in module and the host agree on.
// Export names and signatures, bus message types, window messages of the host's
// main window, and the helpers that build and read bus records.
#pragma once

#include <windows.h>

// ---------------------------------------------------------------------------
// The host's main window
// ---------------------------------------------------------------------------

// User data (GWLP_USERDATA) of the host's hidden main window; class and title "Telvarin".
#define HOST_WINDOW_ID 0x4578AD11u

#define WM_QEL_TRAYNOTIFY     1129  // wParam icon id, lParam mouse message
#define WM_QEL_SERVICE        1133  // wParam service state 4, 7 or 1
#define WM_QEL_TRACE          1145  // wParam level, lParam finished trace line (send, in-process)
#define WM_QEL_BUS            1151  // wParam bus type, lParam record memory block (receiver owns it)
#define WM_QEL_CONFIGCHANGED  1152
#define WM_QEL_MODULESCHANGED 1155
#define WM_QEL_CALLFUNCTION   1156  // lParam: function without arguments, in the host's code
#define WM_QEL_SCHEME         1157  // lParam: record with SchemeIndex, UsedFont, UsedLanguage

// ---------------------------------------------------------------------------
// Bus message types
// ---------------------------------------------------------------------------

#define QEL_BUSMSG_MENUCOMMAND          1
#define QEL_BUSMSG_TRAYDBLCLICK         2
#define QEL_BUSMSG_PHONECOMMAND         3
#define QEL_BUSMSG_TRACE                4
#define QEL_BUSMSG_APPLYCONFIG          5
#define QEL_BUSMSG_TRAYRCLICK           6
#define QEL_BUSMSG_MENUENABLE           7
#define QEL_BUSMSG_HOSTCOMMAND          8
#define QEL_BUSMSG_SHOWCONFIG           9
#define QEL_BUSMSG_EXIT                 10
#define QEL_BUSMSG_STATUS               11
#define QEL_BUSMSG_MENUADD              12
#define QEL_BUSMSG_TRAYCLICK            14
#define QEL_BUSMSG_PHONECOMMANDRESULT   18
#define QEL_BUSMSG_SETICON              19
#define QEL_BUSMSG_COMMANDINFO          21
#define QEL_BUSMSG_COMMANDDELETE        24
#define QEL_BUSMSG_COMMANDDELETE2       25
#define QEL_BUSMSG_DEBUGLEVEL           26
#define QEL_BUSMSG_PLUGININITIATED      33
#define QEL_BUSMSG_APPLYHOSTCONFIG      34
#define QEL_BUSMSG_CLOSECONFIG          36
#define QEL_BUSMSG_CONNECTED            37
#define QEL_BUSMSG_ENABLED              43
#define QEL_BUSMSG_CALLEVENT            44
#define QEL_BUSMSG_BUTTONS              48
#define QEL_BUSMSG_MODULECHANGED        51
#define QEL_BUSMSG_MODULECHANGED2       53
#define QEL_BUSMSG_MENUITEM             60
#define QEL_BUSMSG_MENUTEXT             61
#define QEL_BUSMSG_SERVICERUNNING       62
#define QEL_BUSMSG_SERVICEPAUSED        63
#define QEL_BUSMSG_LASTERROR            66
#define QEL_BUSMSG_SETCOMMAND           71
#define QEL_BUSMSG_WAKEUP               73
#define QEL_BUSMSG_SCHEME               76
#define QEL_BUSMSG_JSONRECORD           77
#define QEL_BUSMSG_MENUSEPARATOR        78
#define QEL_BUSMSG_MENUCHECK            79
#define QEL_BUSMSG_PARAM                80
#define QEL_BUSMSG_VERSIONINFO          82

// ---------------------------------------------------------------------------
// Exports of a plug-in module (all optional, __stdcall, undecorated names: use the .def template)
// ---------------------------------------------------------------------------

typedef int (WINAPI* PFN_DLL_PluginBusProcess)(UINT _uType, const wchar_t* _pszRecord);
typedef int (WINAPI* PFN_DLL_GetPluginID)(void);
typedef void (WINAPI* PFN_DLL_PluginAfterLoad)(void);
typedef void (WINAPI* PFN_DLL_PluginBeforeClose)(void);
typedef const wchar_t* (WINAPI* PFN_DLL_GetPluginName)(void);
typedef int (WINAPI* PFN_DLL_IsUnicode)(void);
typedef int (WINAPI* PFN_DLL_IsSupportedVersion)(void);
typedef int (WINAPI* PFN_DLL_IsBetaVersion)(void);
typedef int (WINAPI* PFN_DLL_CanDisable)(void);
typedef int (WINAPI* PFN_DLL_GetDisableState)(void);
typedef void (WINAPI* PFN_DLL_SetDisableState)(int _iDisable);
typedef HWND (WINAPI* PFN_DLL_ShowConfig)(HWND _hWndParent);

#define DLL_NAME_PLUGINBUSPROCESS   "DLL_PluginBusProcess"
#define DLL_NAME_GETPLUGINID        "DLL_GetPluginID"
#define DLL_NAME_PLUGINAFTERLOAD    "DLL_PluginAfterLoad"
#define DLL_NAME_PLUGINBEFORECLOSE  "DLL_PluginBeforeClose"
#define DLL_NAME_GETPLUGINNAME      "DLL_GetPluginName"
#define DLL_NAME_ISUNICODE          "DLL_IsUnicode"
#define DLL_NAME_ISSUPPORTEDVERSION "DLL_IsSupportedVersion"
#define DLL_NAME_ISBETAVERSION      "DLL_IsBetaVersion"
#define DLL_NAME_CANDISABLE         "DLL_CanDisable"
#define DLL_NAME_GETDISABLESTATE    "DLL_GetDisableState"
#define DLL_NAME_SETDISABLESTATE    "DLL_SetDisableState"
#define DLL_NAME_SHOWCONFIG         "DLL_ShowConfig"

// ---------------------------------------------------------------------------
// Bus records
// ---------------------------------------------------------------------------
// Record helpers follow below (building, reading, numbers).
