#include "host/HostState.h"

HINSTANCE g_hInstance = nullptr;
wchar_t g_szHelpFile[512] = L"";
HANDLE g_hServiceThread = nullptr;
HWND g_hWndParent = nullptr;
