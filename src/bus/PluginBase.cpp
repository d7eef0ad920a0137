// scaffold: replaced by the owning subsystem
#include "bus/PluginBase.h"
CPluginBase::CPluginBase(const wchar_t*) {}
CPluginBase::~CPluginBase() {}
void CPluginBase::LoadAllModules() {}
void CPluginBase::AfterLoad() {}
void CPluginBase::BeforeClose() {}
void CPluginBase::UnloadAllModules() {}
int CPluginBase::Add(const wchar_t*) { return 2; }
int CPluginBase::Remove(const wchar_t*) { return 1; }
void CPluginBase::PrintFileInfos() {}
void CPluginBase::RefreshCanDisable() {}
int CPluginBase::DeliverBusMessage(UINT, const wchar_t*) { return 1; }
HMODULE CPluginBase::GetModuleHandle(int) const { return nullptr; }
const wchar_t* CPluginBase::GetModuleName(int) { return L""; }
int CPluginBase::GetCanDisable(int) const { return 0; }
int CPluginBase::GetDisableState(int) const { return 1; }
const PluginSlot& CPluginBase::GetSlot(int i) const { return m_Slots[i & 31]; }
int DistributeBusMessageToLists(UINT, LPARAM) { return 1; }
void RunHostCommand(const wchar_t*, const wchar_t*) {}
int CallPluginBus(HMODULE, UINT) { return 0; }
