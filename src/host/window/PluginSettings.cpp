#include "host/window/PluginSettings.h"

#include <strsafe.h>

#include "base/ProgramPath.h"
#include "bus/MainWindowHandle.h"
#include "bus/PluginBase.h"
#include "config/RegIniAccess.h"

namespace {

const size_t PATH_LIMIT = 511;

// The store's buffers are the process's, used on the main thread only; plug-ins call from there.
bool IsMainWindowThread()
{
    return g_hWndParent && GetWindowThreadProcessId(g_hWndParent, nullptr) == GetCurrentThreadId();
}

// The store of the plug-in: the host's rules with the plug-in's file as the store's module.
bool InitPluginStore(HMODULE _hPlugin, const wchar_t* _pszKey, CRegIniAccess* _pStore)
{
    if (!_pszKey || !IsMainWindowThread() || !FindListedModule(_hPlugin))
        return false;
    wchar_t szModuleFile[PATH_LIMIT + 1] = L"";
    wchar_t szProgramFile[PATH_LIMIT + 1] = L"";
    if (!CopyModulePath(_hPlugin, szModuleFile, PATH_LIMIT) || !CopyModulePath(nullptr, szProgramFile, PATH_LIMIT))
        return false;
    _pStore->InitForFiles(1, szModuleFile, szProgramFile);
    return true;
}

}   // namespace

int HostReadPluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszValue,
                          int _cchValue)
{
    if (!_pszValue || _cchValue <= 0)
        return 0;
    _pszValue[0] = 0;
    CRegIniAccess store;
    if (!InitPluginStore(_hPlugin, _pszKey, &store))
        return 0;
    StringCchCopyW(_pszValue, static_cast<size_t>(_cchValue),
                   store.ReadString(_pszSection ? _pszSection : L"", _pszKey, 0));
    return 1;
}

int HostWritePluginSetting(HMODULE _hPlugin, const wchar_t* _pszSection, const wchar_t* _pszKey,
                           const wchar_t* _pszValue)
{
    CRegIniAccess store;
    if (!_pszValue || !InitPluginStore(_hPlugin, _pszKey, &store))
        return 0;
    return store.WriteString(_pszSection ? _pszSection : L"", _pszKey, _pszValue);
}
