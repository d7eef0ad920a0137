// The exports of a plug-in module that the settings window uses, looked up by name each
// time they are needed; every one of them may be missing.
#pragma once
#include <windows.h>

// The page DLL_ShowConfig creates in the settings window; null when the export is missing
// or what it returns is no child window of the settings window.
HWND ShowPluginPage(HMODULE _hModule, HWND _hWndSettings);
// DLL_GetPluginID's answer; false when the export is missing.
bool QueryPluginId(HMODULE _hModule, int* _piPluginId);
// DLL_GetDisableState's answer: true when it exists and reports the module disabled.
bool ReportsDisabled(HMODULE _hModule);
// The page title is greyed when the module can be disabled (DLL_CanDisable non-zero) and is
// disabled, or cannot say (DLL_GetDisableState missing).
bool ShowsTitleGreyed(HMODULE _hModule);
