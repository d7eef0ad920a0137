// Canary helper library: CanaryTouch writes the marker file beside this library. Nothing in
// the host calls it; when the marker exists, code was run at an address from outside.
#include <windows.h>

#include "CanaryMarker.h"

namespace {

HMODULE g_hSelf = nullptr;

} // namespace

extern "C" {

BOOL WINAPI DllMain(HINSTANCE _hInstance, DWORD _dwReason, LPVOID)
{
    if (_dwReason == DLL_PROCESS_ATTACH)
        g_hSelf = _hInstance;
    return TRUE;
}

void WINAPI CanaryTouch(void)
{
    wchar_t szPath[MAX_PATH * 2] = L"";
    const DWORD dwLength = GetModuleFileNameW(g_hSelf, szPath, MAX_PATH);
    if (dwLength == 0 || dwLength >= MAX_PATH)
        return;
    wchar_t* pszSlash = wcsrchr(szPath, L'\\');
    if (!pszSlash)
        return;
    lstrcpynW(pszSlash + 1, CANARY_MARKER_FILE, MAX_PATH);
    HANDLE hFile = CreateFileW(szPath, GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    const char szLine[] = "CanaryTouch ran\r\n";
    DWORD dwWritten = 0;
    SetFilePointer(hFile, 0, nullptr, FILE_END);
    WriteFile(hFile, szLine, sizeof(szLine) - 1, &dwWritten, nullptr);
    CloseHandle(hFile);
}

} // extern "C"
