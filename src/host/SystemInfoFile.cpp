// Module and system reports: versions of the program's helper files, the system
// information and the installed telephony service providers.
#include "host/StartupReport.h"

#include <strsafe.h>
#include <versionhelpers.h>

#include "config/RegTool.h"
#include "config/VersionTool.h"
#include "diag/Trace.h"
#include "base/ProgramPath.h"
#include "host/ServiceControl.h"
#include "base/SystemFacts.h"
#include "base/TextAppend.h"

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

void TraceProcessor(const SYSTEM_INFO& _Info)
{
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorArchitecture 0x%04X", _Info.wProcessorArchitecture);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ActiveProcessorMask 0x%08IX", _Info.dwActiveProcessorMask);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.NumberOfProcessors 0x%08X", _Info.dwNumberOfProcessors);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorType 0x%08X", _Info.dwProcessorType);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorLevel 0x%04X", _Info.wProcessorLevel);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.ProcessorRevision 0x%04X", _Info.wProcessorRevision);
}

void TraceWindowsChecks()
{
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsXPOrGreater  %d", IsWindowsXPOrGreater() ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsVistaOrGreater %d", IsWindowsVistaOrGreater() ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindows7OrGreater %d", IsWindows7OrGreater() ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindows8OrGreater %d", IsWindows8OrGreater() ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsWindowsServer %d", IsWindowsServer() ? 1 : 0);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.IsTerminalServer %d",
               ServiceExists(L"TermServLicensing") ? 1 : 0);
}

} // namespace

void TraceProviders(HKEY _hRoot, const wchar_t* _pszSystemDir)
{
    HKEY hProviders = nullptr;
    if (RegOpenKeyExW(_hRoot, PROVIDERS_KEY, 0, KEY_READ, &hProviders) != ERROR_SUCCESS)
        return;
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
    RegCloseKey(hProviders);
}

void PrintSubProgram(const wchar_t* _pszModule)
{
    WriteTrace(3, L"Func.PrintSubProgram.Begin");
    WriteTrace(3, L"Func.PrintSubProgram.Param._pszModule %s", _pszModule);
    wchar_t szPath[MAX_PATH];
    if (BuildProgramPath(_pszModule, szPath, ARRAYSIZE(szPath)) && FileExists(szPath))
    {
        const CVersionTool version(szPath);
        wchar_t szInfo[512] = L"Module";
        AppendFormat(szInfo, ARRAYSIZE(szInfo), L"%s;", szPath);
        AppendFormat(szInfo, ARRAYSIZE(szInfo), L"%s;", version.GetProductVersion());
        AppendFormat(szInfo, ARRAYSIZE(szInfo), L"%s;", version.GetFileVersion());
        WriteTrace(3, L"Func.PrintSubProgram.Info.%s", szInfo);
    }
    WriteTrace(3, L"Func.PrintSubProgram.End");
}

void PrintSystemInfoFile()
{
    const SystemFacts facts = ReadSystemFacts();
    WriteTrace(0, L"Func.PrintSystemInfoFile.Begin");
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.System Information");
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.Computer Name %s", facts.szComputerName);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.User Name %s", facts.szUserName);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.Language %s", facts.szLanguage);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.WinDir %s", facts.szWindowsDir);
    WriteTrace(0, L"Func.PrintSystemInfoFile.Info.SystemDir %s", facts.szSystemDir);
    TraceProcessor(facts.Info);
    TraceWindowsChecks();
    TraceProviders(HKEY_LOCAL_MACHINE, facts.szSystemDir);
    WriteTrace(0, L"Func.PrintSystemInfoFile.End");
}
