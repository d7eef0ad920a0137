// The module info page of the settings window: the main program and every named plug-in
// with its versions and an enable check box; Apply hands the changed boxes to the plug-ins.
#pragma once
#include <windows.h>

// Creates the page as a child of the settings window, its font and columns at the window's
// DPI; null when it cannot be created.
HWND CreateModuleInfoPage(HWND _hWndSettings, int _iDpi);
// The open page; null when none is open.
HWND GetModuleInfoPage();
// Font and column widths of the open page at another DPI.
void SetModuleInfoPageDpi(int _iDpi);
// Sets the disable state of every listed plug-in whose check box differs from its state.
void ApplyModuleStates();
// Fills the list of the open page again (the can-disable values may have changed).
void RefreshModuleInfoPage();
