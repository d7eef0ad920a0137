#include "SendCommand.h"

#include "BusRecordSend.h"
#include "CtlExit.h"
#include "CtlOutput.h"

int RunSend(const CtlArgs& _vecArgs)
{
    CtlArgs vecArgs = _vecArgs;
    const bool bSync = TakeSwitch(&vecArgs, L"--sync");
    UINT uType = 0;
    if (vecArgs.empty())
        return UsageOf(L"send");
    if (!ParseBusType(vecArgs[0], &uType))
    {
        WriteError(L"\"" + vecArgs[0] + L"\" is no bus type: give its number or its name, such as 26 or DEBUGLEVEL.");
        return UsageOf(L"send");
    }
    BusFields vecFields;
    for (size_t i = 1; i < vecArgs.size(); ++i)
    {
        const size_t nEquals = vecArgs[i].find(L'=');
        if (nEquals == std::wstring::npos || nEquals == 0)
        {
            WriteError(L"\"" + vecArgs[i] + L"\" is no field: write KEY=VALUE.");
            return UsageOf(L"send");
        }
        vecFields.emplace_back(vecArgs[i].substr(0, nEquals), vecArgs[i].substr(nEquals + 1));
    }
    SHostContext host;
    if (!RequireHostWindow(&host))
        return CTL_EXIT_NO_HOST;
    std::wstring strProblem;
    switch (HandRecordToHost(host.hWnd, uType, vecFields, bSync, &strProblem))
    {
    case HAND_OVER_BAD_FIELD: WriteError(strProblem); return CTL_EXIT_USAGE;
    case HAND_OVER_NO_ANSWER: WriteError(strProblem); return CTL_EXIT_FAILED;
    default: break;
    }
    WriteOut(Format(L"Bus message %s with %u field(s) %s.\n", BusTypeLabel(uType).c_str(), static_cast<unsigned>(vecFields.size()),
                    bSync ? L"handled by the host" : L"handed to the host"));
    return CTL_EXIT_OK;
}
