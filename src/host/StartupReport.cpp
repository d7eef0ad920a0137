// The start-up report: program, machine, system version and dialling location.
#include "host/StartupReport.h"

#include <versionhelpers.h>

#include "diag/Trace.h"
#include "host/HostState.h"
#include "host/ProgramVersion.h"
#include "base/SystemFacts.h"
#include "ui/QelConfig.h"

namespace {

typedef LONG (WINAPI* PFN_RtlGetVersion)(OSVERSIONINFOEXW*);

void TraceProcessor(const SYSTEM_INFO& _Info)
{
    WriteTrace(0,
               L"Func.CServiceWindow.Info.Processor:Architecture:0x%04X;ActiveProcessorMask:0x%08IX;"
               L"NumberOfProcessors:0x%08X;ProcessorType:0x%08X;ProcessorLevel:0x%04X;Processor:0x%04X;",
               _Info.wProcessorArchitecture, _Info.dwActiveProcessorMask, _Info.dwNumberOfProcessors,
               _Info.dwProcessorType, _Info.wProcessorLevel, _Info.wProcessorRevision);
}

// The seven version lines; left out when the system has no RtlGetVersion.
void TraceWindowsVersion()
{
    HMODULE hNtDll = GetModuleHandleW(L"NTDLL.DLL");
    auto pfnRtlGetVersion =
        hNtDll ? reinterpret_cast<PFN_RtlGetVersion>(GetProcAddress(hNtDll, "RtlGetVersion")) : nullptr;
    if (!pfnRtlGetVersion)
        return;
    OSVERSIONINFOEXW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    pfnRtlGetVersion(&version);
    WriteTrace(0, L"Func.CServiceWindow.Info.WinMajorVersion: %d", version.dwMajorVersion);
    WriteTrace(0, L"Func.CServiceWindow.Info.WinMinorVersion: %d", version.dwMinorVersion);
    WriteTrace(0, L"Func.CServiceWindow.Info.WinBuildNumber: %d", version.dwBuildNumber);
    WriteTrace(0, L"Func.CServiceWindow.Info.dwPlatformId: %d", version.dwPlatformId);
    WriteTrace(0, L"Func.CServiceWindow.Info.wServicePackMajor: %d", version.wServicePackMajor);
    WriteTrace(0, L"Func.CServiceWindow.Info.wServicePackMinor: %d", version.wServicePackMinor);
    WriteTrace(0, L"Func.CServiceWindow.Info.wProductType: %d", version.wProductType);
}

void TraceRuntime()
{
    const ULONGLONG ullSeconds = GetTickCount64() / 1000;
    WriteTrace(0, L"Func.CServiceWindow.Info.Runtime:%d:%02d:%02d", static_cast<int>(ullSeconds / 3600),
               static_cast<int>(ullSeconds / 60 % 60), static_cast<int>(ullSeconds % 60));
}

void TraceLocation()
{
    wchar_t szLocation[256];
    DWORD dwCurrentId = 0;
    if (ReadDialingLocation(HKEY_LOCAL_MACHINE, szLocation, ARRAYSIZE(szLocation), &dwCurrentId))
        WriteTrace(0, L"Func.CServiceWindow.Info.Location %s", szLocation);
    else
        WriteTraceNote(0, L"Func.CServiceWindow.Error.Location %d;", dwCurrentId);   // no location set up: not a fault
}

} // namespace

void WriteStartupReport()
{
    const wchar_t* pszVersion = ProgramVersion().GetProductVersion();
    const SystemFacts facts = ReadSystemFacts();
    WriteTrace(0, L"Func.CServiceWindow.Begin");
    WriteTrace(0, L"Func.CServiceWindow.Info.Version:%s", pszVersion);
    WriteTrace(0, L"Func.CServiceWindow.Info.ProgramBitness:%d", static_cast<int>(8 * sizeof(void*)));
    WriteTrace(0, L"Func.CServiceWindow.Info.DebugLevel:%d", g_dwGlobalDebugLevel);
    WriteTrace(0, L"Func.CServiceWindow.Info.ComputerName:%s", facts.szComputerName);
    WriteTrace(0, L"Func.CServiceWindow.Info.UserName:%s", facts.szUserName);
    WriteTrace(0, L"Func.CServiceWindow.Info.Language:%s", facts.szLanguage);
    WriteTrace(0, L"Func.CServiceWindow.Info.WinDir %d Bytes %s", facts.uWindowsDirLength, facts.szWindowsDir);
    WriteTrace(0, L"Func.CServiceWindow.Info.SysDir %s", facts.szSystemDir);
    WriteTrace(0, L"Func.CServiceWindow.Var.g_szHelpLink %s", g_szHelpLink);
    TraceProcessor(facts.Info);
    TraceWindowsVersion();
    WriteTrace(0, L"Func.CServiceWindow.Info.IsServer:%d", IsWindowsServer() ? 1 : 0);
    WriteTrace(2, L"Func.CServiceWindow.Info.Var.g_hWndParent 0x%08IX", reinterpret_cast<UINT_PTR>(g_hWndParent));
    TraceRuntime();
    TraceLocation();
    WriteTrace(3, L"Func.CServiceWindow.Info.Version:%s", pszVersion);
}
