// What every command of tvrctl shares: its arguments, the usage message and the running host.
#pragma once
#include <string>
#include <vector>

#include "HostLocator.h"

using CtlArgs = std::vector<std::wstring>;

struct SCtlCommand
{
    const wchar_t* pszName;
    const wchar_t* pszArguments;     // for the usage line
    const wchar_t* pszDescription;   // for --help
    int (*pfnRun)(const CtlArgs& _vecArgs);
};

// Prints "usage: tvrctl <command> <arguments>" and returns the usage exit code.
int UsageOf(const wchar_t* _pszCommand);
// The running host with a window tvrctl can reach; prints why not and returns false otherwise.
bool RequireHostWindow(SHostContext* _pHost);
// Removes "--name" from the arguments; true when it was there.
bool TakeSwitch(CtlArgs* _pvecArgs, const wchar_t* _pszSwitch);
// Removes "--name VALUE"; 0 absent, 1 taken, -1 the value is missing.
int TakeOption(CtlArgs* _pvecArgs, const wchar_t* _pszOption, std::wstring* _pstrValue);
// A trace level 0..4 from its text.
bool ParseLevel(const std::wstring& _strText, int* _piLevel);

// The table of every command, in the order of --help.
const SCtlCommand* FindCommand(const std::wstring& _strName);
const std::vector<SCtlCommand>& AllCommands();
