#include "FuzzHost.h"

#include <psapi.h>

#include "TelvarinPlugin.h"

namespace {

const DWORD START_TIMEOUT_MS = 20000;
const UINT_PTR ICON_MARKER_BASE = 0x7AB00000;
const DWORD HOST_ACCESS = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | SYNCHRONIZE | PROCESS_TERMINATE;

struct WindowSearch
{
    DWORD dwPid;
    HWND hFound;
};

BOOL CALLBACK MatchHostWindow(HWND _hWnd, LPARAM _lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(_lParam);
    if (static_cast<DWORD>(GetWindowLongPtrW(_hWnd, GWLP_USERDATA)) != HOST_WINDOW_ID)
        return TRUE;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (pSearch->dwPid != 0 && dwPid != pSearch->dwPid)
        return TRUE;
    pSearch->hFound = _hWnd;
    return FALSE;
}

} // namespace

CFuzzHost::~CFuzzHost()
{
    Release();
}

void CFuzzHost::Release()
{
    if (m_hProcess)
        CloseHandle(m_hProcess);
    m_hProcess = nullptr;
    m_hWnd = nullptr;
    m_dwPid = 0;
}

bool CFuzzHost::Attach(DWORD _dwPid)
{
    WindowSearch search = {_dwPid, nullptr};
    EnumWindows(MatchHostWindow, reinterpret_cast<LPARAM>(&search));
    if (!search.hFound)
        return false;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(search.hFound, &dwPid);
    HANDLE hProcess = OpenProcess(HOST_ACCESS, FALSE, dwPid);
    if (!hProcess)
        return false;
    wchar_t szImage[MAX_PATH * 4] = L"";
    DWORD cchImage = ARRAYSIZE(szImage);
    if (!QueryFullProcessImageNameW(hProcess, 0, szImage, &cchImage))
    {
        CloseHandle(hProcess);
        return false;
    }
    Release();
    m_hWnd = search.hFound;
    m_hProcess = hProcess;
    m_dwPid = dwPid;
    m_strImage = szImage;
    DWORD_PTR dwIcon = 0;
    SendMessageTimeoutW(m_hWnd, WM_GETICON, ICON_BIG, 0, SMTO_NORMAL, ANSWER_TIMEOUT_MS, &dwIcon);
    m_lOriginalIcon = static_cast<LRESULT>(dwIcon);
    return true;
}

std::wstring CFuzzHost::Folder() const
{
    return m_strImage.substr(0, m_strImage.find_last_of(L'\\') + 1);
}

bool CFuzzHost::Restart()
{
    if (IsAlive())
        Terminate();
    const std::wstring strFolder = Folder();
    std::wstring strCommand = L"\"" + m_strImage + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(m_strImage.c_str(), &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, strFolder.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const ULONGLONG ullEnd = GetTickCount64() + START_TIMEOUT_MS;
    while (GetTickCount64() < ullEnd)
    {
        if (Attach(pi.dwProcessId))
        {
            m_bStartedHere = true;
            return Answers();
        }
        Sleep(100);
    }
    return false;
}

void CFuzzHost::CloseStarted()
{
    if (!m_bStartedHere || !IsAlive())
        return;
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(m_hProcess, 10000) != WAIT_OBJECT_0)
        Terminate();
}

bool CFuzzHost::IsAlive() const
{
    return m_hProcess && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

DWORD CFuzzHost::ExitCode() const
{
    DWORD dwCode = STILL_ACTIVE;
    if (m_hProcess)
        GetExitCodeProcess(m_hProcess, &dwCode);
    return dwCode;
}

bool CFuzzHost::Answers(DWORD _dwTimeoutMs) const
{
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(m_hWnd, WM_NULL, 0, 0, SMTO_NORMAL, _dwTimeoutMs, &dwResult) != 0;
}

bool CFuzzHost::PostedDone(DWORD _dwTimeoutMs)
{
    const UINT_PTR uMarker = ICON_MARKER_BASE + (++m_uMarker & 0xFFFF) * 4;
    if (!PostMessageW(m_hWnd, WM_SETICON, ICON_BIG, static_cast<LPARAM>(uMarker)))
        return false;
    const ULONGLONG ullEnd = GetTickCount64() + _dwTimeoutMs;
    do
    {
        DWORD_PTR dwIcon = 0;
        if (!SendMessageTimeoutW(m_hWnd, WM_GETICON, ICON_BIG, 0, SMTO_NORMAL, _dwTimeoutMs, &dwIcon))
            return false;
        if (dwIcon == uMarker)
            return true;
        Sleep(5);
    } while (GetTickCount64() < ullEnd);
    return false;
}

void CFuzzHost::RestoreIcon() const
{
    if (IsAlive())
        SendMessageTimeoutW(m_hWnd, WM_SETICON, ICON_BIG, m_lOriginalIcon, SMTO_NORMAL, ANSWER_TIMEOUT_MS, nullptr);
}

bool CFuzzHost::IsWindowShown() const
{
    return IsWindowVisible(m_hWnd) != FALSE;
}

std::wstring CFuzzHost::Title() const
{
    wchar_t szTitle[256] = L"";
    DWORD_PTR dwLength = 0;
    if (!SendMessageTimeoutW(m_hWnd, WM_GETTEXT, ARRAYSIZE(szTitle), reinterpret_cast<LPARAM>(szTitle), SMTO_NORMAL,
                             ANSWER_TIMEOUT_MS, &dwLength))
        return L"?";
    szTitle[ARRAYSIZE(szTitle) - 1] = L'\0';
    return szTitle;
}

SIZE_T CFuzzHost::PrivateUsage() const
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!m_hProcess ||
        !GetProcessMemoryInfo(m_hProcess, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof(counters)))
        return 0;
    return counters.PrivateUsage;
}

void CFuzzHost::Terminate() const
{
    if (!IsAlive())
        return;
    TerminateProcess(m_hProcess, 0xDEAD);
    WaitForSingleObject(m_hProcess, 5000);
}
