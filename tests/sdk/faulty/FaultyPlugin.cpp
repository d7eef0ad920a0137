// A plug-in that keeps the contract except for the one fault its build selects
// (TVR_FAULT_<name>), for the conformance checker's tests: each fault must fail its check.
#include <windows.h>

#include "TelvarinPlugin.h"

namespace {

const wchar_t PAGE_CLASS[] = L"TvrFaultyPage";
HINSTANCE g_hInstance = nullptr;

LRESULT CALLBACK PageProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_COMMAND && (LOWORD(_wParam) == 1 || LOWORD(_wParam) == 2))
    {
        DestroyWindow(_hWnd);
        return 0;
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

#ifdef TVR_FAULT_MalformedRecord
// A record block of a trace line whose record lacks the Sender line and the closing tag.
void PostRecordWithoutFooter()
{
    static const wchar_t s_szRecord[] = BUS_RECORD_HEADER L" <value keyword=\"Type\">4</value>\r\n"
                                                          L" <value keyword=\"Text\">cut</value>\r\n";
    auto* pszBlock = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, BUS_BLOCK_MIN_CHARS * sizeof(wchar_t)));
    if (pszBlock == nullptr)
        return;
    StringCchCopyW(pszBlock, BUS_BLOCK_MIN_CHARS, s_szRecord);
    if (!PostMessageW(FindHostMainWindow(), WM_QEL_BUS, QEL_BUSMSG_TRACE, reinterpret_cast<LPARAM>(pszBlock)))
        GlobalFree(pszBlock);
}
#endif

} // namespace

BOOL WINAPI DllMain(HINSTANCE _hInstance, DWORD _dwReason, LPVOID)
{
    if (_dwReason == DLL_PROCESS_ATTACH)
        g_hInstance = _hInstance;
    return TRUE;
}

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
#ifdef TVR_FAULT_BusFault
    if (_uType == QEL_BUSMSG_TRAYCLICK)
        *static_cast<volatile int*>(nullptr) = 1;
#endif
#ifdef TVR_FAULT_Leak
    CreateEventW(nullptr, FALSE, FALSE, nullptr);
    static_cast<volatile char*>(HeapAlloc(GetProcessHeap(), 0, 2048))[0] = 1;
#endif
    return GetBusNumber(_pszRecord, L"Level") >= 0 ? 1 : 1;   // reads the record as plug-ins do
}

int WINAPI DLL_GetPluginID(void) { return 4190; }
#ifndef TVR_FAULT_MissingExport
const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Faulty"; }
#endif
int WINAPI DLL_IsUnicode(void) { return 1; }

void WINAPI DLL_PluginAfterLoad(void)
{
#ifdef TVR_FAULT_AfterLoadHang
    Sleep(INFINITE);
#endif
#ifdef TVR_FAULT_PostedScheme
    static const wchar_t s_szScheme[] = BUS_RECORD_HEADER L" <value keyword=\"SchemeIndex\">1</value>\r\n" BUS_RECORD_FOOTER;
    PostMessageW(FindHostMainWindow(), WM_QEL_SCHEME, 0, reinterpret_cast<LPARAM>(s_szScheme));
#endif
#ifdef TVR_FAULT_MalformedRecord
    PostRecordWithoutFooter();
#endif
}

HWND WINAPI DLL_ShowConfig(HWND _hWndParent)
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = PageProc;
    wc.hInstance = g_hInstance;
    wc.lpszClassName = PAGE_CLASS;
    RegisterClassW(&wc);
#ifdef TVR_FAULT_PageNotChild
    return CreateWindowExW(0, PAGE_CLASS, L"", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, g_hInstance, nullptr);
#else
    return CreateWindowExW(0, PAGE_CLASS, L"", WS_CHILD | WS_VISIBLE, 260, 40, 300, 200, _hWndParent, nullptr, g_hInstance,
                           nullptr);
#endif
}

} // extern "C"
