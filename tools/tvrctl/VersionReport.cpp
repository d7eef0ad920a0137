#include "VersionReport.h"

#include <windows.h>

#include "CtlOutput.h"
#include "base/ProgramPath.h"
#include "config/VersionTool.h"

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
using WineGetVersionFn = const char*(CDECL*)();

std::wstring DescribeFile(const wchar_t* _pszLabel, const std::wstring& _strPath)
{
    if (_strPath.empty())
        return Format(L"%-14s not found\n", _pszLabel);
    const CVersionTool version(_strPath.c_str());
    return Format(L"%-14s product version %s, file version %s, %s\n", _pszLabel, version.GetProductVersion(),
                  version.GetFileVersion(), _strPath.c_str());
}

// The version the system really has (GetVersionEx answers for the program's manifest).
std::wstring DescribeSystem()
{
    const HMODULE hNtdll = GetModuleHandleW(L"ntdll.dll");
    OSVERSIONINFOW info = {};
    info.dwOSVersionInfoSize = sizeof(info);
    const auto pfnGetVersion = reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(hNtdll, "RtlGetVersion")));
    if (pfnGetVersion != nullptr)
        pfnGetVersion(&info);
    SYSTEM_INFO system = {};
    GetNativeSystemInfo(&system);
    const wchar_t* pszArchitecture = system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ? L"x64"
                                   : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_INTEL ? L"x86"
                                   : system.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_ARM64 ? L"ARM64"
                                                                                                    : L"other";
    std::wstring strText = Format(L"%-14s Windows %lu.%lu build %lu %s, %s\n", L"System:", info.dwMajorVersion, info.dwMinorVersion,
                                  info.dwBuildNumber, info.szCSDVersion, pszArchitecture);
    // Wine names itself in ntdll; on Windows the export does not exist.
    const auto pfnWine = reinterpret_cast<WineGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(hNtdll, "wine_get_version")));
    if (pfnWine != nullptr)
        strText += Format(L"%-14s Wine %s\n", L"", FromUtf8(pfnWine()).c_str());
    wchar_t szLocale[LOCALE_NAME_MAX_LENGTH] = L"";
    GetUserDefaultLocaleName(szLocale, ARRAYSIZE(szLocale));
    return strText + Format(L"%-14s %s, UI language %04X\n", L"Locale:", szLocale, GetUserDefaultUILanguage());
}

} // namespace

std::wstring DescribeVersions(const SHostContext& _host)
{
    SYSTEMTIME stNow;
    GetSystemTime(&stNow);
    std::wstring strText = Format(L"%-14s %04u-%02u-%02u %02u:%02u:%02u UTC\n", L"Collected:", stNow.wYear, stNow.wMonth, stNow.wDay,
                                  stNow.wHour, stNow.wMinute, stNow.wSecond);
    strText += DescribeFile(L"Program:", _host.strProgram);
    strText += DescribeFile(L"tvrctl:", GetModulePath(nullptr));
    return strText + DescribeSystem();
}
