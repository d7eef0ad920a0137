// Resource ids of the host's user interface (icons, tray menu, dialogs, bitmaps); shared by
// the resource script and the code that loads them.
#pragma once

#define IDI_STATE1          129   // OK and unknown status; the program's window icon
#define IDI_STATE0          130   // stopped, starting, error
#define IDI_STATE2          137   // paused
#define IDR_TRAYMENU        131
#define IDD_INFO            134
#define IDD_SETTINGS        139   // settings window; its controls are created at run time
#define IDD_MODULEINFO      133   // module info page of the settings window
#define IDB_CHECKBOXES      136   // check-box pictures: checked greyed, checked, unchecked, unchecked greyed

#define IDM_TRAY_PAUSE      11005
#define IDM_TRAY_CONTINUE   11006
#define IDM_TRAY_EXIT       11007
#define IDM_TRAY_SETTINGS   32778
#define IDM_TRAY_INFO       32780
#define IDM_TRAY_HELP       32782

#define IDC_INFO_VERSION    1004
#define IDC_INFO_PRODUCT    1013
#define IDC_INFO_VERSIONLABEL 1014
#define IDC_INFO_LINK       1015

#define IDC_MODULE_LIST     1012  // list view of the module info page
#define IDC_SETTINGS_TREE   2001
#define IDC_SETTINGS_APPLY  2002
