// One plug-in of a module list: owns its library, resolves its exports once when it loads,
// and marks every call into the plug-in so that a fault names the module and the export.
#pragma once
#include <windows.h>

#include "TelvarinPlugin.h"
#include "base/Handle.h"

// The exports of a loaded plug-in, looked up once when it loads; a missing one is null.
struct SPluginExports
{
    PFN_DLL_PluginBusProcess pfnPluginBusProcess = nullptr;
    PFN_DLL_GetPluginID pfnGetPluginID = nullptr;
    PFN_DLL_PluginAfterLoad pfnPluginAfterLoad = nullptr;
    PFN_DLL_IsBetaVersion pfnIsBetaVersion = nullptr;
    PFN_DLL_IsSupportedVersion pfnIsSupportedVersion = nullptr;
    PFN_DLL_PluginBeforeClose pfnPluginBeforeClose = nullptr;
    PFN_DLL_GetPluginName pfnGetPluginName = nullptr;
    PFN_DLL_CanDisable pfnCanDisable = nullptr;
    PFN_DLL_GetDisableState pfnGetDisableState = nullptr;
    PFN_DLL_SetDisableState pfnSetDisableState = nullptr;
    PFN_DLL_IsUnicode pfnIsUnicode = nullptr;
    PFN_DLL_ShowConfig pfnShowConfig = nullptr;
};

class CPluginModule
{
public:
    CPluginModule() = default;
    // A move takes the library and its exports along: the module moved from calls nothing.
    CPluginModule(CPluginModule&& _other) noexcept;
    CPluginModule& operator=(CPluginModule&& _other) noexcept;

    // Loads the library, resolves the exports and asks the load-time questions in their
    // order; an export the module lacks keeps the answer given before. False when the
    // library did not load.
    bool Load(const wchar_t* _pszPath);
    // Frees the library and forgets its exports; the load-time answers stay.
    void Unload();

    bool IsLoaded() const { return static_cast<bool>(m_hModule); }
    HMODULE GetHandle() const { return m_hModule.Get(); }
    bool HasBusProcess() const { return m_Exports.pfnPluginBusProcess != nullptr; }
    // For the settings window and the module list, which call them through the call scope
    // (PluginCall.h) with GetHandle().
    const SPluginExports& GetExports() const { return m_Exports; }
    int GetPluginID() const { return m_iPluginID; }
    int GetCanDisable() const { return m_iCanDisable; }
    int IsBeta() const { return m_iIsBeta; }
    int IsNotSupported() const { return m_iNotSupported; }
    int IsUnicode() const { return m_iIsUnicode; }

    // The calls into the plug-in. A missing export is not called: the bus process then
    // counts as passing the message on (1), the name as none (null), the disable state
    // as active (0).
    int BusProcess(UINT _uType, const wchar_t* _pszRecord) const;
    void AfterLoad() const;
    void BeforeClose() const;
    const wchar_t* GetName() const;
    int GetDisableState() const;
    // Asks DLL_CanDisable again; a module without it keeps its last answer.
    void RefreshCanDisable();

private:
    void ResolveExports();
    void AskLoadTimeQuestions();

    CModuleHandle m_hModule;
    SPluginExports m_Exports;
    int m_iPluginID = 0;
    int m_iCanDisable = 0;
    int m_iIsBeta = 0;
    int m_iNotSupported = 0;
    int m_iIsUnicode = 0;
};
