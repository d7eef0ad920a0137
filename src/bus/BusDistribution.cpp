// Delivery of bus messages to the plug-in lists.
#include "bus/PluginBase.h"

#include <vector>

#include "bus/BusRecord.h"
#include "bus/PluginCall.h"

int DistributeBusMessageToLists(UINT _uType, LPARAM _lBlock)
{
    // RecordOfBlock gives a terminated text even for a block that is not the host's own.
    const wchar_t* pszRecord = RecordOfBlock(_lBlock);
    g_PluginDebug.DeliverBusMessage(_uType, pszRecord);
    const int iExtra = g_PluginExtra.DeliverBusMessage(_uType, pszRecord);
    g_PluginSearch.DeliverBusMessage(_uType, pszRecord);
    g_PluginInfo.DeliverBusMessage(_uType, pszRecord);
    const int iSave = g_PluginSave.DeliverBusMessage(_uType, pszRecord);
    const int iTelephony = g_PluginTelephony.DeliverBusMessage(_uType, pszRecord);
    ReleaseBusBlock(_lBlock);
    return (iExtra && iSave && iTelephony) ? 1 : 0;
}

int CallPluginBus(HMODULE _hModule, UINT _uType)
{
    if (!_hModule)
        return 0;
    const auto pfnBusProcess =
        reinterpret_cast<PFN_DLL_PluginBusProcess>(GetProcAddress(_hModule, DLL_NAME_PLUGINBUSPROCESS));
    if (!pfnBusProcess)
        return 0;
    // A buffer per call: the module may call back into the host before it returns.
    std::vector<wchar_t> vecRecord(BUS_RECORD_CAPACITY);
    BusRecordBegin(vecRecord.data(), vecRecord.size());
    BusRecordAppend(vecRecord.data(), vecRecord.size(), BUS_FIELD_TYPE, _uType);
    BusRecordEnd(vecRecord.data(), vecRecord.size());
    CPluginCallScope call(_hModule, DLL_NAME_PLUGINBUSPROCESS);
    return pfnBusProcess(_uType, vecRecord.data());
}
