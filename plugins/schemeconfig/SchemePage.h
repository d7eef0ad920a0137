// The settings page: language, colour scheme with a preview of each, and dialog font.
#pragma once
#include <windows.h>

#include "SchemeChoice.h"

// Creates the page as a child of the settings window, showing the host's current look.
HWND CreateSchemePage(HWND _hWndParent);
// Shows the host's current look on the open page (it may have changed since it opened).
void ShowLookOnPage();
// The choice the open page shows; false when no page is open.
bool GetPageChoice(SSchemeChoice* _pChoice);
