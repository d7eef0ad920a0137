#include "bus/MainWindowHandle.h"

HWND g_hWndParent = nullptr;
