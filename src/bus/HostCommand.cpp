// Host commands of bus type 8: reload or remove a whole list, add or remove one module.
#include "bus/PluginBase.h"

namespace {

enum class EListAction { Reload, RemoveAll, AddOne, RemoveOne };

struct HostCommand
{
    const wchar_t* pszCmd;
    CPluginBase* pList;
    EListAction action;
};

const HostCommand COMMANDS[] = {
    {L"LOADALLSEARCHMODULES", &g_PluginSearch, EListAction::Reload},
    {L"REMOVEALLSEARCHMODULES", &g_PluginSearch, EListAction::RemoveAll},
    {L"LOADALLSAVEMODULES", &g_PluginSave, EListAction::Reload},
    {L"REMOVEALLSAVEMODULES", &g_PluginSave, EListAction::RemoveAll},
    {L"LOADALLEXTRAMODULES", &g_PluginExtra, EListAction::Reload},
    {L"REMOVEALLEXTRAMODULES", &g_PluginExtra, EListAction::RemoveAll},
    {L"LOADALLPHONEMODULES", &g_PluginTelephony, EListAction::Reload},
    {L"REMOVEALLPHONEMODULES", &g_PluginTelephony, EListAction::RemoveAll},
    {L"PLUGINADD", &g_PluginSearch, EListAction::AddOne},
    {L"PLUGINREMOVE", &g_PluginSearch, EListAction::RemoveOne},
};

} // namespace

void RunHostCommand(const wchar_t* _pszCmd, const wchar_t* _pszArg)
{
    if (!_pszCmd)
        return;
    for (const HostCommand& command : COMMANDS)
    {
        if (wcscmp(_pszCmd, command.pszCmd) != 0)
            continue;
        CPluginBase& list = *command.pList;
        switch (command.action)
        {
        case EListAction::Reload:
            list.BeforeClose();
            list.UnloadAllModules();
            list.LoadAllModules();
            list.AfterLoad();
            break;
        case EListAction::RemoveAll:
            list.BeforeClose();
            list.UnloadAllModules();
            break;
        case EListAction::AddOne:
            list.Add(_pszArg ? _pszArg : L"");
            break;
        case EListAction::RemoveOne:
            list.Remove(_pszArg ? _pszArg : L"");
            break;
        }
        return;
    }
}
