// The trace-file plug-in's settings page: the trace level, the folder of the daily files
// with a button that opens it, and how many days of files are kept. It takes the settings
// window's colours and font, reports each change with WM_QEL_CONFIGCHANGED and applies
// when the settings window delivers bus type 5.
#pragma once
#include <windows.h>
#include <string>

// Creates the page as a child of the settings window; null when it cannot.
HWND CreateTracePage(HWND _hWndParent, const std::wstring& _strLogFolder);
// Stores the page's values and applies the level; false when no page is open or the
// settings could not be stored.
bool ApplyTracePage();
