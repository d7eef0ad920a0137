// A plug-in that replaces the process's unhandled-exception filter in its after-load call,
// as some third-party modules do, and faults inside its bus entry point for bus type 202.
// Its filter writes the code of the exception it saw to "FilterProbe.seen" beside the DLL
// and ends the process, so a test sees whether the filter still had its turn.
#include <windows.h>

#include <cwchar>

#include "TelvarinPlugin.h"

namespace {

const UINT FAULT_TYPE = 202;
const wchar_t SEEN_FILE[] = L"FilterProbe.seen";

HMODULE g_hModule = nullptr;

// "<folder of this DLL>\FilterProbe.seen"; empty when the path does not fit.
void SeenFilePath(wchar_t (&_szPath)[MAX_PATH])
{
    _szPath[0] = 0;
    const DWORD cchModule = GetModuleFileNameW(g_hModule, _szPath, MAX_PATH);
    wchar_t* pszSlash = wcsrchr(_szPath, L'\\');
    if (cchModule == 0 || cchModule >= MAX_PATH || pszSlash == nullptr ||
        static_cast<size_t>(pszSlash + 1 - _szPath) + ARRAYSIZE(SEEN_FILE) > MAX_PATH)
    {
        _szPath[0] = 0;
        return;
    }
    wcscpy_s(pszSlash + 1, ARRAYSIZE(SEEN_FILE), SEEN_FILE);
}

LONG WINAPI ForeignFilter(EXCEPTION_POINTERS* _pExceptionPointers)
{
    wchar_t szPath[MAX_PATH];
    SeenFilePath(szPath);
    char szCode[16];
    const int cchCode = _snprintf_s(szCode, sizeof(szCode), _TRUNCATE, "0x%08lX",
                                    static_cast<unsigned long>(_pExceptionPointers->ExceptionRecord->ExceptionCode));
    const HANDLE hFile = szPath[0] ? CreateFileW(szPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr)
                                   : INVALID_HANDLE_VALUE;
    if (hFile != INVALID_HANDLE_VALUE)
    {
        DWORD cbWritten = 0;
        WriteFile(hFile, szCode, cchCode > 0 ? static_cast<DWORD>(cchCode) : 0, &cbWritten, nullptr);
        CloseHandle(hFile);
    }
    return EXCEPTION_EXECUTE_HANDLER;
}

} // namespace

BOOL WINAPI DllMain(HINSTANCE _hInstance, DWORD _dwReason, LPVOID /*_pReserved*/)
{
    if (_dwReason == DLL_PROCESS_ATTACH)
        g_hModule = _hInstance;
    return TRUE;
}

extern "C" {

void WINAPI DLL_PluginAfterLoad(void)
{
    SetUnhandledExceptionFilter(ForeignFilter);
}

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* /*_pszRecord*/)
{
    if (_uType == FAULT_TYPE)
    {
        volatile int* piNowhere = nullptr;
        *piNowhere = 1;
    }
    return 1;
}

int WINAPI DLL_GetPluginID(void) { return 4202; }
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"FilterProbe"; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }

} // extern "C"
