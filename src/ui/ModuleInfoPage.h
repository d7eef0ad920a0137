// The module info page of the settings window: the main program and every named plug-in
// with its versions and an enable check box; Apply hands the changed boxes to the plug-ins.
#pragma once
#include <windows.h>

// Creates the page as a child of the settings window; null when it cannot be created.
HWND CreateModuleInfoPage(HWND _hWndSettings);
// Sets the disable state of every listed plug-in whose check box differs from its state.
void ApplyModuleStates();
// Fills the list of the open page again (the can-disable values may have changed).
void RefreshModuleInfoPage();
