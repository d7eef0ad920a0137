#include "HostCommands.h"

#include <cwchar>

#include "BusRecordSend.h"
#include "CtlExit.h"
#include "CtlOutput.h"
#include "TelvarinPlugin.h"

bool SetHostLevel(HWND _hWndHost, int _iLevel)
{
    std::wstring strProblem;
    if (HandRecordToHost(_hWndHost, QEL_BUSMSG_DEBUGLEVEL, {{L"Level", std::to_wstring(_iLevel)}}, true, &strProblem) == HAND_OVER_DONE)
        return true;
    WriteError(strProblem);
    return false;
}

int RunClose(const CtlArgs& _vecArgs)
{
    if (!_vecArgs.empty())
        return UsageOf(L"close");
    SHostContext host;
    if (!RequireHostWindow(&host))
        return CTL_EXIT_NO_HOST;
    PostMessageW(host.hWnd, WM_CLOSE, 0, 0);
    return CTL_EXIT_OK;
}

int RunDebugLevel(const CtlArgs& _vecArgs)
{
    int iLevel = 0;
    if (_vecArgs.size() != 1 || !ParseLevel(_vecArgs[0], &iLevel))
        return UsageOf(L"debuglevel");
    SHostContext host;
    if (!RequireHostWindow(&host))
        return CTL_EXIT_NO_HOST;
    return SetHostLevel(host.hWnd, iLevel) ? CTL_EXIT_OK : CTL_EXIT_FAILED;
}

int RunWait(const CtlArgs& _vecArgs)
{
    if (_vecArgs.size() != 1 || _vecArgs[0].empty() || _vecArgs[0].find_first_not_of(L"0123456789") != std::wstring::npos)
        return UsageOf(L"wait");
    for (long lTenths = std::wcstol(_vecArgs[0].c_str(), nullptr, 10) * 10; lTenths > 0; --lTenths, Sleep(100))
        if (LocateHost().hWnd != nullptr)
            return CTL_EXIT_OK;
    return CTL_EXIT_NO_HOST;
}
