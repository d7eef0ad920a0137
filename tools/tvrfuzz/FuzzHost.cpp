#include "FuzzHost.h"

#include <psapi.h>

#include "TelvarinPlugin.h"

namespace {

const DWORD START_TIMEOUT_MS = 20000;
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

// Window classes whose procedure is the host's: its dialogs and its message box (the main
// window is known by its handle).
bool IsHostProcedureClass(const std::wstring& _strClass)
{
    return _strClass == L"#32770" || _strClass == L"QelMessageBoxClass";
}

struct WindowList
{
    DWORD dwPid;
    HWND hWndMain;
    std::vector<HostWindow>* pvecWindows;
};

BOOL CALLBACK AddWindow(HWND _hWnd, LPARAM _lParam)
{
    auto* pList = reinterpret_cast<WindowList*>(_lParam);
    wchar_t szClass[128] = L"";
    GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass));
    pList->pvecWindows->push_back({_hWnd, szClass, _hWnd == pList->hWndMain || IsHostProcedureClass(szClass)});
    return TRUE;
}

BOOL CALLBACK AddProcessWindow(HWND _hWnd, LPARAM _lParam)
{
    auto* pList = reinterpret_cast<WindowList*>(_lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (dwPid != pList->dwPid)
        return TRUE;
    AddWindow(_hWnd, _lParam);
    EnumChildWindows(_hWnd, AddWindow, _lParam);
    return TRUE;
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
    // The new host writes nothing into this program's output.
    SECURITY_ATTRIBUTES sa = {sizeof(sa), nullptr, TRUE};
    HANDLE hNul = CreateFileW(L"NUL", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = si.hStdOutput = si.hStdError = hNul;
    PROCESS_INFORMATION pi = {};
    const BOOL bStarted = CreateProcessW(m_strImage.c_str(), &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr,
                                         strFolder.c_str(), &si, &pi);
    if (hNul != INVALID_HANDLE_VALUE)
        CloseHandle(hNul);
    if (!bStarted)
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

DWORD CFuzzHost::AnswerTime() const
{
    const ULONGLONG ullStart = GetTickCount64();
    if (!Answers())
        return ANSWER_TIMEOUT_MS;
    return static_cast<DWORD>(GetTickCount64() - ullStart);
}

bool CFuzzHost::IsWindowShown() const
{
    return IsWindowVisible(m_hWnd) != FALSE;
}

std::vector<HostWindow> CFuzzHost::Windows() const
{
    std::vector<HostWindow> vecWindows;
    WindowList list = {m_dwPid, m_hWnd, &vecWindows};
    EnumWindows(AddProcessWindow, reinterpret_cast<LPARAM>(&list));
    return vecWindows;
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
    // Wine leaves PrivateUsage 0; the commit charge (PagefileUsage) is the same figure on Windows.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

void CFuzzHost::Terminate() const
{
    if (!IsAlive())
        return;
    TerminateProcess(m_hProcess, 0xDEAD);
    WaitForSingleObject(m_hProcess, 5000);
}
