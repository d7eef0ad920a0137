// tvrctl: talks to a running Telvarin host of this desktop.
//   tvrctl close            ask the host to end (WM_CLOSE)
//   tvrctl debuglevel N     set the host's trace level (bus message 26)
//   tvrctl wait SECONDS     wait until a host window exists
#include <windows.h>
#include <cstdio>
#include <cwchar>
#include <string>

#include "TelvarinPlugin.h"
#include "host/entry/StartMode.h"

namespace {

HWND FindRunningHost()
{
    return FindHostWindow(GetDesktopWindow(), HOST_WINDOW_ID);
}

std::wstring DebugLevelRecord(const wchar_t* _pszLevel)
{
    std::wstring strRecord(BUS_RECORD_CAPACITY + 1, L'\0');
    BusRecordBegin(&strRecord[0], strRecord.size());
    BusRecordAppend(&strRecord[0], strRecord.size(), BUS_FIELD_TYPE, QEL_BUSMSG_DEBUGLEVEL);
    BusRecordAppend(&strRecord[0], strRecord.size(), L" <value keyword=\"Level\">%s</value>\r\n", _pszLevel);
    BusRecordEnd(&strRecord[0], strRecord.size());
    strRecord.resize(wcslen(strRecord.c_str()));
    return strRecord;
}

int Usage()
{
    std::fputs("usage: tvrctl close | debuglevel N | wait SECONDS\n", stderr);
    return 2;
}

bool IsKnownCommand(int _iArgc, wchar_t** _ppszArgv)
{
    const std::wstring strCommand = _iArgc >= 2 ? _ppszArgv[1] : L"";
    if (_iArgc == 2)
        return strCommand == L"close";
    return _iArgc == 3 && (strCommand == L"debuglevel" || strCommand == L"wait");
}

bool WaitForHost(const wchar_t* _pszSeconds)
{
    for (long lTenths = std::wcstol(_pszSeconds, nullptr, 10) * 10; lTenths > 0; --lTenths, Sleep(100))
        if (FindRunningHost())
            return true;
    return false;
}

} // namespace

// Exit codes: 0 done, 1 no running host, 2 bad usage.
int wmain(int argc, wchar_t** argv)
{
    if (!IsKnownCommand(argc, argv))
        return Usage();
    const std::wstring strCommand = argv[1];
    if (strCommand == L"wait")
        return WaitForHost(argv[2]) ? 0 : 1;
    HWND hWndHost = FindRunningHost();
    if (hWndHost == nullptr)
    {
        std::fputs("tvrctl: no running host found\n", stderr);
        return 1;
    }
    if (strCommand == L"close")
    {
        PostMessageW(hWndHost, WM_CLOSE, 0, 0);
        return 0;
    }
    const std::wstring strRecord = DebugLevelRecord(argv[2]);
    SendMessageW(hWndHost, WM_SETTEXT, 1, reinterpret_cast<LPARAM>(strRecord.c_str()));
    return 0;
}
