// tvrctl: the command-line tool of support staff and scripts for the Telvarin host of this
// desktop (or its service). One command per call; see --help and docs/support.md.
#include <windows.h>

#include "CtlCommand.h"
#include "CtlExit.h"
#include "CtlOutput.h"

namespace {

int ShowHelp()
{
    std::wstring strText = L"tvrctl - status, traces and support bundles of the Telvarin host of this desktop\n\n"
                           L"usage: tvrctl COMMAND [ARGUMENTS]\n\n";
    for (const SCtlCommand& command : AllCommands())
    {
        const std::wstring strCall = std::wstring(command.pszName) + L" " + command.pszArguments;
        strText += Format(L"  %-40s %s\n", strCall.c_str(), command.pszDescription);
    }
    strText += L"\nExit codes:\n"
               L"  0  done (status: the host runs and reports OK)\n"
               L"  1  Telvarin is not running (wait: it did not start in time)\n"
               L"  2  wrong usage: unknown command, missing or bad arguments\n"
               L"  3  status: the host runs but does not report OK\n"
               L"  4  failed: the host did not answer, or a file could not be read or written\n";
    WriteOut(strText);
    return CTL_EXIT_OK;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc >= 2 && (std::wstring(argv[1]) == L"--help" || std::wstring(argv[1]) == L"-h" || std::wstring(argv[1]) == L"/?"))
        return ShowHelp();
    const SCtlCommand* pCommand = argc >= 2 ? FindCommand(argv[1]) : nullptr;
    if (pCommand == nullptr)
    {
        if (argc >= 2)
            WriteError(std::wstring(L"\"") + argv[1] + L"\" is no command of tvrctl.");
        return UsageOf(L"");
    }
    return pCommand->pfnRun(CtlArgs(argv + 2, argv + argc));
}
