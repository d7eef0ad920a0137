#include "bus/PluginModule.h"

#include <utility>

#include "bus/PluginCall.h"

namespace {

template <typename T>
T Export(HMODULE _hModule, const char* _pszName)
{
    return reinterpret_cast<T>(GetProcAddress(_hModule, _pszName));
}

}   // namespace

CPluginModule::CPluginModule(CPluginModule&& _other) noexcept
{
    *this = std::move(_other);
}

CPluginModule& CPluginModule::operator=(CPluginModule&& _other) noexcept
{
    if (this == &_other)
        return *this;
    m_hModule = std::move(_other.m_hModule);
    m_Exports = std::exchange(_other.m_Exports, SPluginExports());
    m_iPluginID = _other.m_iPluginID;
    m_iCanDisable = _other.m_iCanDisable;
    m_iIsBeta = _other.m_iIsBeta;
    m_iNotSupported = _other.m_iNotSupported;
    m_iIsUnicode = _other.m_iIsUnicode;
    return *this;
}

bool CPluginModule::Load(const wchar_t* _pszPath)
{
    {
        CPluginCallScope load(_pszPath);
        m_hModule.Reset(LoadLibraryW(_pszPath));
    }
    if (!m_hModule)
        return false;
    ResolveExports();
    AskLoadTimeQuestions();
    return true;
}

void CPluginModule::ResolveExports()
{
    const HMODULE hModule = m_hModule.Get();
    m_Exports.pfnPluginBusProcess = Export<PFN_DLL_PluginBusProcess>(hModule, DLL_NAME_PLUGINBUSPROCESS);
    m_Exports.pfnGetPluginID = Export<PFN_DLL_GetPluginID>(hModule, DLL_NAME_GETPLUGINID);
    m_Exports.pfnPluginAfterLoad = Export<PFN_DLL_PluginAfterLoad>(hModule, DLL_NAME_PLUGINAFTERLOAD);
    m_Exports.pfnIsBetaVersion = Export<PFN_DLL_IsBetaVersion>(hModule, DLL_NAME_ISBETAVERSION);
    m_Exports.pfnIsSupportedVersion = Export<PFN_DLL_IsSupportedVersion>(hModule, DLL_NAME_ISSUPPORTEDVERSION);
    m_Exports.pfnPluginBeforeClose = Export<PFN_DLL_PluginBeforeClose>(hModule, DLL_NAME_PLUGINBEFORECLOSE);
    m_Exports.pfnGetPluginName = Export<PFN_DLL_GetPluginName>(hModule, DLL_NAME_GETPLUGINNAME);
    m_Exports.pfnCanDisable = Export<PFN_DLL_CanDisable>(hModule, DLL_NAME_CANDISABLE);
    m_Exports.pfnGetDisableState = Export<PFN_DLL_GetDisableState>(hModule, DLL_NAME_GETDISABLESTATE);
    m_Exports.pfnIsUnicode = Export<PFN_DLL_IsUnicode>(hModule, DLL_NAME_ISUNICODE);
    m_Exports.pfnSetDisableState = Export<PFN_DLL_SetDisableState>(hModule, DLL_NAME_SETDISABLESTATE);
    m_Exports.pfnShowConfig = Export<PFN_DLL_ShowConfig>(hModule, DLL_NAME_SHOWCONFIG);
}

void CPluginModule::AskLoadTimeQuestions()
{
    const HMODULE hModule = m_hModule.Get();
    m_iIsUnicode = CallPluginFunction(hModule, m_Exports.pfnIsUnicode, DLL_NAME_ISUNICODE, m_iIsUnicode);
    m_iPluginID = CallPluginFunction(hModule, m_Exports.pfnGetPluginID, DLL_NAME_GETPLUGINID, m_iPluginID);
    m_iIsBeta = CallPluginFunction(hModule, m_Exports.pfnIsBetaVersion, DLL_NAME_ISBETAVERSION, m_iIsBeta);
    if (m_Exports.pfnIsSupportedVersion)
        m_iNotSupported =
            CallPluginFunction(hModule, m_Exports.pfnIsSupportedVersion, DLL_NAME_ISSUPPORTEDVERSION, 1) == 0 ? 1 : 0;
}

void CPluginModule::Unload()
{
    m_Exports = SPluginExports();
    m_hModule.Reset();
}

int CPluginModule::BusProcess(UINT _uType, const wchar_t* _pszRecord) const
{
    if (!m_Exports.pfnPluginBusProcess)
        return 1;
    CPluginCallScope call(m_hModule.Get(), DLL_NAME_PLUGINBUSPROCESS, _uType);
    return m_Exports.pfnPluginBusProcess(_uType, _pszRecord);
}

void CPluginModule::AfterLoad() const
{
    CallPluginProcedure(m_hModule.Get(), m_Exports.pfnPluginAfterLoad, DLL_NAME_PLUGINAFTERLOAD);
}

void CPluginModule::BeforeClose() const
{
    CallPluginProcedure(m_hModule.Get(), m_Exports.pfnPluginBeforeClose, DLL_NAME_PLUGINBEFORECLOSE);
}

const wchar_t* CPluginModule::GetName() const
{
    return CallPluginFunction(m_hModule.Get(), m_Exports.pfnGetPluginName, DLL_NAME_GETPLUGINNAME,
                              static_cast<const wchar_t*>(nullptr));
}

int CPluginModule::GetDisableState() const
{
    return CallPluginFunction(m_hModule.Get(), m_Exports.pfnGetDisableState, DLL_NAME_GETDISABLESTATE, 0);
}

void CPluginModule::RefreshCanDisable()
{
    m_iCanDisable = CallPluginFunction(m_hModule.Get(), m_Exports.pfnCanDisable, DLL_NAME_CANDISABLE, m_iCanDisable);
}
