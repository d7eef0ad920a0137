// The probe's exports: each records its call and answers from the configuration.
#include <windows.h>
#include <cwchar>
#include <string>

#include "ProbeConfig.h"
#include "ProbeLogWriter.h"
#include "ProbePost.h"
#include "ProbeRecord.h"
#include "TelvarinPlugin.h"

namespace {

// Read through a volatile so that the compiler cannot see the null pointer and
// replace the faulting store by a trap instruction.
volatile UINT_PTR g_uFaultAddress = 0;

std::wstring Number(long long _llValue)
{
    return std::to_wstring(_llValue);
}

const wchar_t THREAD_PREFIX[] = L"Thread:";
const wchar_t WINDOW_PREFIX[] = L"Window:";

void Fault()
{
    *reinterpret_cast<volatile int*>(g_uFaultAddress) = 1;
}

DWORD WINAPI FaultingThread(LPVOID)
{
    Fault();
    return 0;
}

// Called by the host's message loop, outside every export of the probe. (A timer
// procedure would not do: the system swallows faults in those.)
const UINT WM_PROBE_FAULT = WM_APP + 1;

LRESULT CALLBACK FaultingWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_PROBE_FAULT)
        Fault();
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

// A window of the probe on the calling thread, with a message posted that makes it fault.
void PostToFaultingWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = FaultingWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&FaultingWindowProc), &wc.hInstance);
    wc.lpszClassName = L"TelvarinProbeFaultingWindow";
    RegisterClassW(&wc);
    const HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    PostMessageW(hWnd, WM_PROBE_FAULT, 0, 0);
}

// "<prefix><call>": the setting asks for the fault elsewhere than in the call itself.
bool HasPrefix(const std::wstring& _strOn, const wchar_t* _pszPrefix, std::wstring* _pstrRest)
{
    const size_t cchPrefix = wcslen(_pszPrefix);
    if (_strOn.compare(0, cchPrefix, _pszPrefix) != 0)
        return false;
    *_pstrRest = _strOn.substr(cchPrefix);
    return true;
}

// The setting names the call, for a bus call optionally followed by ":<text>" that the
// record must hold ("BusProcess:4:Fault in").
bool IsDue(const std::wstring& _strOn, const std::wstring& _strCall, const wchar_t* _pszRecord)
{
    const std::wstring strPrefix = _strCall + L":";
    return _strOn == _strCall || (_pszRecord != nullptr && _strOn.compare(0, strPrefix.size(), strPrefix) == 0 &&
                                  wcsstr(_pszRecord, _strOn.c_str() + strPrefix.size()) != nullptr);
}

void FaultIfDue(const std::wstring& _strCall, const wchar_t* _pszRecord = nullptr)
{
    const std::wstring& strOn = GetProbeConfig().strFaultOn;
    std::wstring strRest;
    if (HasPrefix(strOn, THREAD_PREFIX, &strRest))
    {
        if (IsDue(strRest, _strCall, _pszRecord))
            CloseHandle(CreateThread(nullptr, 0, FaultingThread, nullptr, 0, nullptr));
        return;
    }
    if (HasPrefix(strOn, WINDOW_PREFIX, &strRest))
    {
        if (IsDue(strRest, _strCall, _pszRecord))
            PostToFaultingWindow();
        return;
    }
    if (IsDue(strOn, _strCall, _pszRecord))
        Fault();
}

void HangIfDue(const std::wstring& _strCall, const wchar_t* _pszRecord = nullptr)
{
    const ProbeConfig& config = GetProbeConfig();
    if (!config.strHangOn.empty() && IsDue(config.strHangOn, _strCall, _pszRecord))
        Sleep(config.dwHangMs);
}

void PostIfDue(const std::wstring& _strCall)
{
    const ProbeConfig& config = GetProbeConfig();
    if (config.strPostOn.empty() || config.strPostOn != _strCall)
        return;
    ProbeFields fields = config.vecPostFields;
    if (config.bPostShaped)
    {
        PostShapedRecord(FindHostMainWindow(), config, fields);
        return;
    }
    if (config.uPostMemBlock > 0)
    {
        const HGLOBAL hBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, config.uPostMemBlock);
        fields.emplace_back(L"MemBlock", Number(reinterpret_cast<INT_PTR>(hBlock)));
    }
    PostRecordToHost(FindHostMainWindow(), config.uPostType, fields, config.bPostSync);
}

} // namespace

extern "C" {

int WINAPI DLL_PluginBusProcess(UINT _uType, const wchar_t* _pszRecord)
{
    ProbeFields fields = ParseRecordFields(_pszRecord);
    // Whether the record's second block still lives while this module sees the message.
    const INT_PTR iMemBlock = GetBusHandle(_pszRecord, L"MemBlock");
    if (iMemBlock != 0)
        fields.emplace_back(L"MemBlockSize", Number(static_cast<long long>(LiveBlockSize(iMemBlock))));
    WriteProbeCall(L"BusProcess", Number(_uType), fields);
    FaultIfDue(L"BusProcess:" + Number(_uType), _pszRecord);
    HangIfDue(L"BusProcess:" + Number(_uType), _pszRecord);
    if (HasPostedShapedBlocks())
        WriteProbeCall(L"Posted", L"", {{L"Live", Number(CountLivePostedBlocks())}});
    PostIfDue(L"BusProcess:" + Number(_uType));
    const ProbeConfig& config = GetProbeConfig();
    const auto it = config.mapReturns.find(_uType);
    return it != config.mapReturns.end() ? it->second : config.iReturnDefault;
}

int WINAPI DLL_GetPluginID(void)
{
    WriteProbeCall(L"GetPluginID", L"");
    return GetProbeConfig().iID;
}

void WINAPI DLL_PluginAfterLoad(void)
{
    WriteProbeCall(L"AfterLoad", L"");
    FaultIfDue(L"AfterLoad");
    HangIfDue(L"AfterLoad");
    PostIfDue(L"AfterLoad");
}

void WINAPI DLL_PluginBeforeClose(void)
{
    WriteProbeCall(L"BeforeClose", L"");
    FaultIfDue(L"BeforeClose");
    PostIfDue(L"BeforeClose");
}

const wchar_t* WINAPI DLL_GetPluginName(void)
{
    WriteProbeCall(L"GetPluginName", L"");
    return GetProbeConfig().strName.c_str();
}

int WINAPI DLL_IsUnicode(void)
{
    WriteProbeCall(L"IsUnicode", L"");
    return GetProbeConfig().iIsUnicode;
}

int WINAPI DLL_IsSupportedVersion(void)
{
    WriteProbeCall(L"IsSupportedVersion", L"");
    return GetProbeConfig().iIsSupported;
}

int WINAPI DLL_IsBetaVersion(void)
{
    WriteProbeCall(L"IsBetaVersion", L"");
    return GetProbeConfig().iIsBeta;
}

int WINAPI DLL_CanDisable(void)
{
    WriteProbeCall(L"CanDisable", L"");
    return GetProbeConfig().iCanDisable;
}

int WINAPI DLL_GetDisableState(void)
{
    WriteProbeCall(L"GetDisableState", L"");
    return GetProbeConfig().iDisableState;
}

void WINAPI DLL_SetDisableState(int _iDisable)
{
    WriteProbeCall(L"SetDisableState", L"", {{L"Disable", Number(_iDisable)}});
    GetProbeConfig().iDisableState = _iDisable;
}

// A child window of the parent that stands for the probe's settings page.
HWND WINAPI DLL_ShowConfig(HWND _hWndParent)
{
    WriteProbeCall(L"ShowConfig", L"");
    if (!IsWindow(_hWndParent))
        return nullptr;
    return CreateWindowExW(0, L"STATIC", GetProbeConfig().strName.c_str(), WS_CHILD, 0, 0, 100, 20, _hWndParent,
                           nullptr, nullptr, nullptr);
}

// "Load" names the module's own load: the loading thread holds the loader lock meanwhile.
BOOL WINAPI DllMain(HINSTANCE, DWORD _dwReason, LPVOID)
{
    if (_dwReason == DLL_PROCESS_ATTACH)
        HangIfDue(L"Load");
    return TRUE;
}

} // extern "C"
