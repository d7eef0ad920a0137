#include "CtlCommand.h"

#include <algorithm>

#include "CollectCommand.h"
#include "CtlExit.h"
#include "CtlOutput.h"
#include "HostCommands.h"
#include "ModulesCommand.h"
#include "SendCommand.h"
#include "StatusCommand.h"
#include "TraceCommand.h"

const std::vector<SCtlCommand>& AllCommands()
{
    static const std::vector<SCtlCommand> s_vecCommands = {
        {L"status", L"", L"whether the host runs, its process id and mode, its status and last error", RunStatus},
        {L"modules", L"", L"every plug-in of the six folders with its versions and whether the host has it loaded", RunModules},
        {L"send", L"TYPE [KEY=VALUE...] [--sync]", L"hands the host one bus message (TYPE: number or name); --sync waits until it is handled", RunSend},
        {L"trace", L"[--follow] [--level N]", L"today's trace lines; --follow shows new ones as they come, --level raises the trace level meanwhile", RunTrace},
        {L"collect", L"[FILE]", L"packs everything support staff need into one cabinet file (.cab)", RunCollect},
        {L"debuglevel", L"N", L"sets the host's trace level (0 to 4) until it ends", RunDebugLevel},
        {L"close", L"", L"asks the host to end", RunClose},
        {L"wait", L"SECONDS", L"waits until a host runs", RunWait},
    };
    return s_vecCommands;
}

const SCtlCommand* FindCommand(const std::wstring& _strName)
{
    for (const SCtlCommand& command : AllCommands())
        if (_strName == command.pszName)
            return &command;
    return nullptr;
}

int UsageOf(const wchar_t* _pszCommand)
{
    const SCtlCommand* pCommand = FindCommand(_pszCommand);
    std::wstring strLine = L"usage: tvrctl ";
    strLine += pCommand ? std::wstring(pCommand->pszName) + L" " + pCommand->pszArguments : L"COMMAND [ARGUMENTS]";
    WriteError(strLine + L"\n(tvrctl --help lists every command)");
    return CTL_EXIT_USAGE;
}

bool RequireHostWindow(SHostContext* _pHost)
{
    *_pHost = LocateHost();
    if (!_pHost->bRunning)
    {
        WriteError(L"no running host found: Telvarin is not running for this user.");
        return false;
    }
    if (_pHost->hWnd == nullptr)
    {
        WriteError(Format(L"no running host found on this desktop: Telvarin runs as the service (process %lu), "
                          L"whose window tvrctl cannot reach.", _pHost->dwPid));
        return false;
    }
    return true;
}

bool TakeSwitch(CtlArgs* _pvecArgs, const wchar_t* _pszSwitch)
{
    const auto it = std::find(_pvecArgs->begin(), _pvecArgs->end(), _pszSwitch);
    if (it == _pvecArgs->end())
        return false;
    _pvecArgs->erase(it);
    return true;
}

int TakeOption(CtlArgs* _pvecArgs, const wchar_t* _pszOption, std::wstring* _pstrValue)
{
    const auto it = std::find(_pvecArgs->begin(), _pvecArgs->end(), _pszOption);
    if (it == _pvecArgs->end())
        return 0;
    if (it + 1 == _pvecArgs->end())
        return -1;
    *_pstrValue = *(it + 1);
    _pvecArgs->erase(it, it + 2);
    return 1;
}

bool ParseLevel(const std::wstring& _strText, int* _piLevel)
{
    if (_strText.size() != 1 || _strText[0] < L'0' || _strText[0] > L'4')
        return false;
    *_piLevel = _strText[0] - L'0';
    return true;
}
