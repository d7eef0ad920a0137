#include "ProcessWatch.h"

#include <psapi.h>

#include "BenchClock.h"

namespace {

struct SWindowSearch
{
    DWORD dwProcessId;
    const wchar_t* pszClass;
    LONG_PTR lUserData;
    HWND hWnd;
};

BOOL CALLBACK MatchWindow(HWND _hWnd, LPARAM _lSearch)
{
    auto* pSearch = reinterpret_cast<SWindowSearch*>(_lSearch);
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(_hWnd, &dwProcessId);
    wchar_t szClass[64] = L"";
    GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass));
    if (dwProcessId != pSearch->dwProcessId || lstrcmpW(szClass, pSearch->pszClass) != 0 ||
        (pSearch->lUserData != 0 && GetWindowLongPtrW(_hWnd, GWLP_USERDATA) != pSearch->lUserData))
        return TRUE;
    pSearch->hWnd = _hWnd;
    return FALSE;
}

double FileTimeSeconds(const FILETIME& _ft)
{
    return static_cast<double>((static_cast<ULONGLONG>(_ft.dwHighDateTime) << 32) | _ft.dwLowDateTime) / 1e7;
}

} // namespace

bool CProcessWatch::Start(const std::wstring& _strExe, const std::wstring& _strArguments)
{
    const std::wstring strFolder = _strExe.substr(0, _strExe.find_last_of(L'\\'));
    std::wstring strCommand = L"\"" + _strExe + L"\"";
    if (!_strArguments.empty())
        strCommand += L" " + _strArguments;
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    GetSystemTimeAsFileTime(&m_ftStart);
    m_liStart = BenchNow();
    if (!CreateProcessW(_strExe.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, strFolder.c_str(), &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_hProcess.Reset(pi.hProcess);
    m_dwProcessId = pi.dwProcessId;
    return true;
}

double CProcessWatch::Elapsed() const
{
    return SecondsSince(m_liStart);
}

HWND CProcessWatch::FindWindowOfProcess(const wchar_t* _pszClass, LONG_PTR _lUserData) const
{
    SWindowSearch search = {m_dwProcessId, _pszClass, _lUserData, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.hWnd;
}

SIZE_T CProcessWatch::PrivateBytes() const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    if (!GetProcessMemoryInfo(m_hProcess.Get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
        return 0;
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

double CProcessWatch::CpuSeconds() const
{
    FILETIME ftCreation, ftExit, ftKernel, ftUser;
    if (!GetProcessTimes(m_hProcess.Get(), &ftCreation, &ftExit, &ftKernel, &ftUser))
        return 0;
    return FileTimeSeconds(ftKernel) + FileTimeSeconds(ftUser);
}

double CProcessWatch::CloseAndWait(HWND _hWnd, DWORD _dwTimeoutMs)
{
    const LARGE_INTEGER liClose = BenchNow();
    PostMessageW(_hWnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_hProcess.Get(), _dwTimeoutMs) != WAIT_OBJECT_0)
    {
        TerminateProcess(m_hProcess.Get(), 1);
        return -1;
    }
    return SecondsSince(liClose);
}
