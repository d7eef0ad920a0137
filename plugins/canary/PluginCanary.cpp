// Canary plug-in: after loading, it loads the helper library from its own folder and keeps
// it loaded, so that the helper's code lies in the host process without being plug-in code.
#include <windows.h>

#include <string>

#include "CanaryMarker.h"
#include "TelvarinPlugin.h"

namespace {

// Folder of this module with the trailing backslash; empty when it cannot be read.
std::wstring OwnFolder()
{
    HMODULE hSelf = nullptr;
    if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                            reinterpret_cast<LPCWSTR>(&OwnFolder), &hSelf))
        return std::wstring();
    std::wstring strPath(MAX_PATH * 4, L'\0');
    const DWORD dwLength = GetModuleFileNameW(hSelf, &strPath[0], static_cast<DWORD>(strPath.size()));
    if (dwLength == 0 || dwLength >= strPath.size())
        return std::wstring();
    strPath.resize(dwLength);
    return strPath.substr(0, strPath.find_last_of(L'\\') + 1);
}

} // namespace

extern "C" {

void WINAPI DLL_PluginAfterLoad(void)
{
    const std::wstring strFolder = OwnFolder();
    if (!strFolder.empty())
        LoadLibraryW((strFolder + CANARY_HELPER_FILE).c_str());   // kept until the process ends
}

const wchar_t* WINAPI DLL_GetPluginName(void) { return L"Canary"; }
int WINAPI DLL_IsUnicode(void) { return 1; }
int WINAPI DLL_IsSupportedVersion(void) { return 1; }

} // extern "C"
