#include "host/WindowState.h"

DWORD g_dwSchemeIndex = 0;
wchar_t g_szFontName[128] = L"Segoe UI";
wchar_t g_szLanguageName[32] = L"";
UINT_PTR g_uErrorInstance = 0;
wchar_t g_szLastError[256] = L"";
DWORD g_dwExitGuard = 0;
