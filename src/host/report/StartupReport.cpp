// The start-up report: program and helper file versions, system information, dialling
// location and telephony providers.
#include "host/report/StartupReport.h"

#include <versionhelpers.h>
#include <strsafe.h>

#include <memory>

#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "base/SystemFacts.h"
#include "base/TextAppend.h"
#include "config/RegTool.h"
#include "config/VersionTool.h"
#include "diag/Trace.h"
#include "host/service/ServiceControl.h"
#include "bus/MainWindowHandle.h"
#include "ui/QelConfig.h"

// The facts of the start-up report and the module reports that hold for the whole start:
// the machine, the system's version and checks, the dialling location and the program's
// helper files. The start gathers them while it waits after loading the plug-ins; a report
// written without them reads them itself. The last report of the start lets them go, so a
// later report never writes stale facts.
namespace {

typedef LONG(WINAPI* PFN_RtlGetVersion)(OSVERSIONINFOEXW*);

const wchar_t* const SUB_PROGRAMS[] = {L"QELMHELP.EXE", L"Resource\\RESOURCE.DLL", L"Resource\\De\\RESOURCE.DLL",
                                       L"Resource\\En\\RESOURCE.DLL"};

// The report text of one helper file; empty when the program folder does not hold it.
struct SSubProgramInfo
{
    wchar_t szInfo[512] = L"";
};

struct SReportFacts
{
    SystemFacts system;
    bool bHasWindowsVersion = false;   // the system has RtlGetVersion
    OSVERSIONINFOEXW windowsVersion = {};
    bool bIsServer = false;
    bool abAtLeast[4] = {};   // Windows XP, Vista, 7, 8 or later
    bool bIsTerminalServer = false;
    bool bHasLocation = false;
    wchar_t szLocation[256] = L"";
    DWORD dwLocationId = 0;
    SSubProgramInfo aSubPrograms[ARRAYSIZE(SUB_PROGRAMS)];
};

std::unique_ptr<SReportFacts> g_pReportFacts;

bool ReadWindowsVersion(OSVERSIONINFOEXW* _pVersion)
{
    HMODULE hNtDll = GetModuleHandleW(L"NTDLL.DLL");
    auto pfnRtlGetVersion =
        hNtDll ? reinterpret_cast<PFN_RtlGetVersion>(GetProcAddress(hNtDll, "RtlGetVersion")) : nullptr;
    if (!pfnRtlGetVersion)
        return false;
    _pVersion->dwOSVersionInfoSize = sizeof(*_pVersion);
    pfnRtlGetVersion(_pVersion);
    return true;
}

void ReadSubProgram(const wchar_t* _pszModule, SSubProgramInfo* _pInfo)
{
    wchar_t szPath[MAX_PATH];
    if (!BuildProgramPath(_pszModule, szPath, ARRAYSIZE(szPath)) || !FileExists(szPath))
        return;
    const CVersionTool version(szPath);
    StringCchCopyW(_pInfo->szInfo, ARRAYSIZE(_pInfo->szInfo), L"Module");
    AppendFormat(_pInfo->szInfo, ARRAYSIZE(_pInfo->szInfo), L"%s;", szPath);
    AppendFormat(_pInfo->szInfo, ARRAYSIZE(_pInfo->szInfo), L"%s;", version.GetProductVersion());
    AppendFormat(_pInfo->szInfo, ARRAYSIZE(_pInfo->szInfo), L"%s;", version.GetFileVersion());
}

std::unique_ptr<SReportFacts> ReadReportFacts()
{
    auto pFacts = std::make_unique<SReportFacts>();
    pFacts->system = ReadSystemFacts();
    pFacts->bHasWindowsVersion = ReadWindowsVersion(&pFacts->windowsVersion);
    pFacts->bIsServer = IsWindowsServer();
    pFacts->abAtLeast[0] = IsWindowsXPOrGreater();
    pFacts->abAtLeast[1] = IsWindowsVistaOrGreater();
    pFacts->abAtLeast[2] = IsWindows7OrGreater();
    pFacts->abAtLeast[3] = IsWindows8OrGreater();
    pFacts->bIsTerminalServer = ServiceExists(L"TermServLicensing") != 0;
    pFacts->bHasLocation = ReadDialingLocation(HKEY_LOCAL_MACHINE, pFacts->szLocation, ARRAYSIZE(pFacts->szLocation),
                                               &pFacts->dwLocationId);
    for (size_t i = 0; i < ARRAYSIZE(SUB_PROGRAMS); ++i)
        ReadSubProgram(SUB_PROGRAMS[i], &pFacts->aSubPrograms[i]);
    return pFacts;
}

const SReportFacts& ReportFacts()
{
    if (!g_pReportFacts)
        g_pReportFacts = ReadReportFacts();
    return *g_pReportFacts;
}

}   // namespace

void GatherReportFacts()
{
    g_pReportFacts = ReadReportFacts();
}

// The start-up report: program, machine, system version and dialling location.
namespace {

void TraceProcessor(const SYSTEM_INFO& _Info)
{
    WriteTrace(0,
               L"Func.CServiceWindow.Info.Processor:Architecture:0x%04X;ActiveProcessorMask:0x%08IX;"
               L"NumberOfProcessors:0x%08X;ProcessorType:0x%08X;ProcessorLevel:0x%04X;Processor:0x%04X;",
               _Info.wProcessorArchitecture, _Info.dwActiveProcessorMask, _Info.dwNumberOfProcessors,
               _Info.dwProcessorType, _Info.wProcessorLevel, _Info.wProcessorRevision);
}

// The seven version lines; left out when the system has no RtlGetVersion.
void TraceWindowsVersion(const SReportFacts& _facts)
{
    if (!_facts.bHasWindowsVersion)
        return;
    const OSVERSIONINFOEXW& version = _facts.windowsVersion;
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

void TraceLocation(const SReportFacts& _facts)
{
    if (_facts.bHasLocation)
        WriteTrace(0, L"Func.CServiceWindow.Info.Location %s", _facts.szLocation);
    else   // no location set up: not a fault
        WriteTraceNote(0, L"Func.CServiceWindow.Error.Location %d;", _facts.dwLocationId);
}

}   // namespace

void WriteStartupReport()
{
    const wchar_t* pszVersion = ProgramVersion().GetProductVersion();
    const SReportFacts& report = ReportFacts();
    const SystemFacts& facts = report.system;
    WriteTrace(0, L"Func.CServiceWindow.Begin");
    WriteTrace(0, L"Func.CServiceWindow.Info.Version:%s", pszVersion);
    WriteTrace(0, L"Func.CServiceWindow.Info.ProgramBitness:%d", static_cast<int>(8 * sizeof(void*)));
    WriteTrace(0, L"Func.CServiceWindow.Info.DebugLevel:%d", g_dwGlobalDebugLevel.load());
    WriteTrace(0, L"Func.CServiceWindow.Info.ComputerName:%s", facts.szComputerName);
    WriteTrace(0, L"Func.CServiceWindow.Info.UserName:%s", facts.szUserName);
    WriteTrace(0, L"Func.CServiceWindow.Info.Language:%s", facts.szLanguage);
    WriteTrace(0, L"Func.CServiceWindow.Info.WinDir %d Bytes %s", facts.uWindowsDirLength, facts.szWindowsDir);
    WriteTrace(0, L"Func.CServiceWindow.Info.SysDir %s", facts.szSystemDir);
    WriteTrace(0, L"Func.CServiceWindow.Var.g_szHelpLink %s", g_szHelpLink);
    TraceProcessor(facts.Info);
    TraceWindowsVersion(report);
    WriteTrace(0, L"Func.CServiceWindow.Info.IsServer:%d", report.bIsServer ? 1 : 0);
    WriteTrace(2, L"Func.CServiceWindow.Info.Var.g_hWndParent 0x%08IX", reinterpret_cast<UINT_PTR>(g_hWndParent));
    TraceRuntime();
    TraceLocation(report);
    WriteTrace(3, L"Func.CServiceWindow.Info.Version:%s", pszVersion);
}

// Module and system reports: versions of the program's helper files, the system
// information and the installed telephony service providers.
namespace {

const wchar_t PROVIDERS_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Providers";
// "NumProviders" is a value anybody with write access to the key can set; a machine has a
// handful of providers, so the report stops after this many.
const DWORD MAX_REPORTED_PROVIDERS = 256;

void TraceProvider(HKEY _hProviders, DWORD _dwIndex, const wchar_t* _pszSystemDir)
{
    wchar_t szName[32];
    StringCchPrintfW(szName, ARRAYSIZE(szName), L"ProviderFilename%d", _dwIndex);
    wchar_t szFile[MAX_PATH] = L"";
    ReadRawValue(_hProviders, szName, szFile, sizeof(szFile) - sizeof(wchar_t));
    if (!szFile[0])
        return;
    wchar_t szPath[MAX_PATH];
    if (FAILED(StringCchPrintfW(szPath, ARRAYSIZE(szPath), L"%s\\%s", _pszSystemDir, szFile)) || !FileExists(szPath))
        return;
    const CVersionTool version(szPath);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.FileName %s", szPath);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.FileVersion %s", version.GetFileVersion());
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProductVersion %s", version.GetProductVersion());
    WriteTrace(0, L"");
}

void TraceProcessorDetails(const SYSTEM_INFO& _Info)
{
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorArchitecture 0x%04X", _Info.wProcessorArchitecture);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ActiveProcessorMask 0x%08IX", _Info.dwActiveProcessorMask);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.NumberOfProcessors 0x%08X", _Info.dwNumberOfProcessors);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorType 0x%08X", _Info.dwProcessorType);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorLevel 0x%04X", _Info.wProcessorLevel);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorRevision 0x%04X", _Info.wProcessorRevision);
}

void TraceWindowsChecks(const SReportFacts& _facts)
{
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsXPOrGreater  %d", _facts.abAtLeast[0] ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsVistaOrGreater %d", _facts.abAtLeast[1] ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindows7OrGreater %d", _facts.abAtLeast[2] ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindows8OrGreater %d", _facts.abAtLeast[3] ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsServer %d", _facts.bIsServer ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsTerminalServer %d", _facts.bIsTerminalServer ? 1 : 0);
}

}   // namespace

void TraceProviders(HKEY _hRoot, const wchar_t* _pszSystemDir)
{
    const CRegKey providers = OpenRegKey(_hRoot, PROVIDERS_KEY, KEY_READ);
    if (!providers)
        return;
    const HKEY hProviders = providers.Get();
    DWORD dwCount = 0;
    ReadRawValue(hProviders, L"NumProviders", &dwCount, sizeof(dwCount));
    if (dwCount > MAX_REPORTED_PROVIDERS)
    {
        WriteTrace(0, L"Func.PrintSystemInfoFile.Info.NumProviders %u, the first %u reported", dwCount,
                   MAX_REPORTED_PROVIDERS);
        dwCount = MAX_REPORTED_PROVIDERS;
    }
    for (DWORD dwIndex = 0; dwIndex < dwCount; ++dwIndex)
        TraceProvider(hProviders, dwIndex, _pszSystemDir);
}

void PrintSubPrograms()
{
    const SReportFacts& report = ReportFacts();
    for (size_t i = 0; i < ARRAYSIZE(SUB_PROGRAMS); ++i)
    {
        WriteTrace(3, L"Func.PrintSubProgram.Begin");
        WriteTrace(3, L"Func.PrintSubProgram.Param._pszModule %s", SUB_PROGRAMS[i]);
        if (report.aSubPrograms[i].szInfo[0])
            WriteTrace(3, L"Func.PrintSubProgram.Info.%s", report.aSubPrograms[i].szInfo);
        WriteTrace(3, L"Func.PrintSubProgram.End");
    }
}

void PrintSystemInfoFile()
{
    const SReportFacts& report = ReportFacts();
    const SystemFacts& facts = report.system;
    WriteTrace(0, L"Func.PrintSystemInfoFile.Begin");
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.System Information");
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.Computer Name %s", facts.szComputerName);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.User Name %s", facts.szUserName);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.Language %s", facts.szLanguage);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.WinDir %s", facts.szWindowsDir);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.SystemDir %s", facts.szSystemDir);
    TraceProcessorDetails(facts.Info);
    TraceWindowsChecks(report);
    TraceProviders(HKEY_LOCAL_MACHINE, facts.szSystemDir);
    WriteTrace(0, L"Func.PrintSystemInfoFile.End");
    g_pReportFacts.reset();
}

// The telephony dialling location of the start-up report.
namespace {

const wchar_t LOCATIONS_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
const size_t LOCATION_TEXT_CHARS = 256;
// Values are read whole up to this size, so that a long one is cut by the text, not dropped.
const size_t LOCATION_VALUE_CHARS = 1024;

DWORD ReadDword(HKEY _hKey, const wchar_t* _pszName)
{
    DWORD dwValue = 0;
    ReadRawValue(_hKey, _pszName, &dwValue, sizeof(dwValue));
    return dwValue;
}

void AppendString(HKEY _hKey, const wchar_t* _pszName, wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szValue[LOCATION_VALUE_CHARS] = L"";
    // One character short of the buffer, so the value stays terminated however it was stored.
    ReadRawValue(_hKey, _pszName, szValue, sizeof(szValue) - sizeof(wchar_t));
    AppendFormat(_pszOut, _cchOut, L"%s;", szValue);
}

}   // namespace

bool ReadDialingLocation(HKEY _hRoot, wchar_t* _pszOut, size_t _cchOut, DWORD* _pdwCurrentId)
{
    _pszOut[0] = 0;
    *_pdwCurrentId = 0;
    {
        const CRegKey locations = OpenRegKey(_hRoot, LOCATIONS_KEY, KEY_READ);
        if (locations.Get())
            *_pdwCurrentId = ReadDword(locations.Get(), L"CurrentID");
    }
    wchar_t szSubKey[512];
    StringCchPrintfW(szSubKey, ARRAYSIZE(szSubKey), L"%s\\Location%d", LOCATIONS_KEY, *_pdwCurrentId);
    const CRegKey location = OpenRegKey(_hRoot, szSubKey, KEY_READ | KEY_WOW64_64KEY);
    if (!location.Get())
        return false;

    const size_t cchText = _cchOut < LOCATION_TEXT_CHARS ? _cchOut : LOCATION_TEXT_CHARS;
    AppendFormat(_pszOut, cchText, L"%d;", *_pdwCurrentId);
    AppendFormat(_pszOut, cchText, L"%d;", ReadDword(location.Get(), L"Country"));
    AppendFormat(_pszOut, cchText, L"%d;", ReadDword(location.Get(), L"Flags"));
    static const wchar_t* const s_apszStrings[] = {
        L"AreaCode",           L"DisableCallWaiting",      L"InternationalCarrierCode",
        L"LongDistanceAccess", L"LongDistanceCarrierCode", L"Name",
        L"OutsideAccess"};
    for (const wchar_t* pszName : s_apszStrings)
        AppendString(location.Get(), pszName, _pszOut, cchText);
    return true;
}

const CVersionTool& ProgramVersion()
{
    static const CVersionTool s_Version;
    return s_Version;
}
