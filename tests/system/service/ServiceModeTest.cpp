// The real program as the service "Telvarin" under Wine's service manager: install and
// remove switches, start, pause, continue and stop, and the tray starts beside it.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>
#include <string>
#include <vector>

#include "HostHarness.h"
#include "ProbeLog.h"
#include "ServiceView.h"
#include "TelvarinPlugin.h"

using namespace tvr;

namespace {

const DWORD START_TIMEOUT_MS = 20000;
const wchar_t REFUSE_TEXT[] = L"This program will be closed. It should be run as a service.";

// The prefix's processes, for the message of a service start that failed: whether the
// service manager is there, and which hosts are running.
std::string ProcessList()
{
    std::string strList;
    const HANDLE hSnapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (hSnapshot == INVALID_HANDLE_VALUE)
        return "no process list";
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Process32FirstW(hSnapshot, &entry); bMore; bMore = Process32NextW(hSnapshot, &entry))
        strList += " " + WideToUtf8(entry.szExeFile) + ":" + std::to_string(entry.th32ProcessID);
    CloseHandle(hSnapshot);
    return strList;
}

// Every test starts and ends without the service; it never stays installed.
class CServiceModeTest : public ::testing::Test
{
protected:
    CServiceModeTest() : m_Service(L"Telvarin"), m_strLog(m_Folder.Child(L"calls.log")) {}
    void SetUp() override
    {
        ASSERT_TRUE(m_Service.RemoveLeftover()) << "a service \"Telvarin\" is installed and cannot be removed";
        ASSERT_TRUE(InstallProbe(m_Folder, L"PluginDebug", L"PluginProbeD.DLL", m_strLog, ProbeSettings()));
    }
    void TearDown() override
    {
        EXPECT_TRUE(m_Service.RemoveLeftover());
        if (m_hServiceProcess)
        {
            if (WaitForSingleObject(m_hServiceProcess, 5000) != WAIT_OBJECT_0)
                TerminateProcess(m_hServiceProcess, 99);
            CloseHandle(m_hServiceProcess);
        }
    }

    // Runs a switch of the program in the folder; true when it ended with exit code 0
    // and never showed a main window.
    bool RunSwitch(const CInstallFolder& _folder, const wchar_t* _pszSwitch, ULONGLONG* _pullElapsed = nullptr)
    {
        CHostProcess process;
        const ULONGLONG ullStart = GetTickCount64();
        if (!process.Start(_folder.ExePath(), _pszSwitch))
            return false;
        bool bWindow = false;
        WaitUntil(
            [&] {
                bWindow = bWindow || FindHostWindowOfProcess(process.Pid()) != nullptr;
                return !process.IsRunning();
            },
            60000);
        DWORD dwExitCode = 1234;
        const bool bEnded = process.WaitForExit(0, &dwExitCode);
        if (_pullElapsed)
            *_pullElapsed = GetTickCount64() - ullStart;
        EXPECT_FALSE(bWindow) << WideToUtf8(_pszSwitch) << " made a main window";
        return bEnded && dwExitCode == 0 && !bWindow;
    }
    // Starts a tray host from the test folder; its window once its plug-ins are loaded.
    HWND StartTrayHost(CHostProcess& _tray)
    {
        if (!_tray.Start(m_Folder.ExePath()))
            return nullptr;
        HWND hWnd = _tray.WaitForWindow(START_TIMEOUT_MS);
        const bool bLoaded = hWnd && WaitForProbeCall(
                                         m_strLog, [](const ProbeCall& _call) { return _call.strCall == "AfterLoad"; },
                                         START_TIMEOUT_MS);
        return bLoaded ? hWnd : nullptr;
    }
    // Posts WM_CLOSE and expects the end with exit code 0.
    void CloseTrayHost(CHostProcess& _tray, HWND _hWnd)
    {
        ASSERT_TRUE(PostMessageW(_hWnd, WM_CLOSE, 0, 0));
        DWORD dwExitCode = 1234;
        ASSERT_TRUE(_tray.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
        EXPECT_EQ(0u, dwExitCode);
    }
    // Starts the installed service; the distinct states seen until RUNNING.
    std::vector<DWORD> StartService()
    {
        std::vector<DWORD> vecSeen;
        if (!m_Service.Start())
        {
            const DWORD dwError = GetLastError();
            ADD_FAILURE() << "error " << dwError << "; probe calls " << ReadProbeLog(m_strLog).size() << "; processes"
                          << ProcessList();
        }
        EXPECT_TRUE(m_Service.WaitForState(SERVICE_RUNNING, START_TIMEOUT_MS, &vecSeen));
        SERVICE_STATUS_PROCESS status = {};
        if (m_Service.Status(&status) && status.dwProcessId != 0)
        {
            m_dwServicePid = status.dwProcessId;
            m_hServiceProcess = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, m_dwServicePid);
        }
        return vecSeen;
    }
    // The main window of the service's host, once its plug-ins are loaded.
    HWND WaitForServiceWindow()
    {
        HWND hWnd = nullptr;
        WaitUntil([&] { return (hWnd = FindHostWindowOfProcess(m_dwServicePid)) != nullptr; }, START_TIMEOUT_MS);
        EXPECT_TRUE(WaitForProbeCall(
            m_strLog, [](const ProbeCall& _call) { return _call.strCall == "AfterLoad"; }, START_TIMEOUT_MS));
        return hWnd;
    }
    bool ServiceProcessEnded(DWORD _dwTimeoutMs, DWORD* _pdwExitCode) const
    {
        return m_hServiceProcess && WaitForSingleObject(m_hServiceProcess, _dwTimeoutMs) == WAIT_OBJECT_0 &&
               GetExitCodeProcess(m_hServiceProcess, _pdwExitCode);
    }
    std::vector<ProbeCall> BusCalls(UINT _uType) const
    {
        std::vector<ProbeCall> vecCalls;
        for (const ProbeCall& call : ReadProbeLog(m_strLog))
            if (call.strCall == "BusProcess" && call.strType == std::to_string(_uType))
                vecCalls.push_back(call);
        return vecCalls;
    }

    CInstallFolder m_Folder;
    CServiceView m_Service;
    std::wstring m_strLog;
    DWORD m_dwServicePid = 0;
    HANDLE m_hServiceProcess = nullptr;
};

// Holds a thread of another process still for a while.
class CSuspendedThread
{
public:
    explicit CSuspendedThread(DWORD _dwThreadId) : m_hThread(OpenThread(THREAD_SUSPEND_RESUME, FALSE, _dwThreadId))
    {
        if (m_hThread && SuspendThread(m_hThread) == static_cast<DWORD>(-1))
        {
            CloseHandle(m_hThread);
            m_hThread = nullptr;
        }
    }
    ~CSuspendedThread() { Resume(); }
    CSuspendedThread(const CSuspendedThread&) = delete;
    CSuspendedThread& operator=(const CSuspendedThread&) = delete;
    bool IsSuspended() const { return m_hThread != nullptr; }
    void Resume()
    {
        if (!m_hThread)
            return;
        ResumeThread(m_hThread);
        CloseHandle(m_hThread);
        m_hThread = nullptr;
    }

private:
    HANDLE m_hThread;
};

struct MessageBoxSearch
{
    DWORD dwPid;
    const std::wstring* pstrText;
    HWND hFound;
};

// True when one of the window's static controls shows the text.
BOOL CALLBACK MatchStaticText(HWND _hWnd, LPARAM _lParam)
{
    auto* pSearch = reinterpret_cast<MessageBoxSearch*>(_lParam);
    wchar_t szClass[16] = L"";
    GetClassNameW(_hWnd, szClass, 16);
    wchar_t szText[256] = L"";
    GetWindowTextW(_hWnd, szText, 256);
    if (CompareStringOrdinal(szClass, -1, L"Static", -1, TRUE) == CSTR_EQUAL && *pSearch->pstrText == szText)
    {
        pSearch->hFound = GetParent(_hWnd);
        return FALSE;
    }
    return TRUE;
}

// The system's box (#32770) or the host's own box.
BOOL CALLBACK MatchMessageBox(HWND _hWnd, LPARAM _lParam)
{
    auto* pSearch = reinterpret_cast<MessageBoxSearch*>(_lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    wchar_t szClass[32] = L"";
    GetClassNameW(_hWnd, szClass, 32);
    const std::wstring strClass = szClass;
    if (dwPid != pSearch->dwPid || (strClass != L"#32770" && strClass != L"QelMessageBoxClass"))
        return TRUE;
    EnumChildWindows(_hWnd, MatchStaticText, _lParam);
    if (pSearch->hFound != nullptr)
    {
        pSearch->hFound = _hWnd;
        return FALSE;
    }
    return TRUE;
}

// The message box of a process whose static text is the given text.
HWND FindMessageBoxOfProcess(DWORD _dwPid, const std::wstring& _strText)
{
    MessageBoxSearch search = {_dwPid, &_strText, nullptr};
    EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

}   // namespace

TEST_F(CServiceModeTest, InstallSwitchInstallsTheAutomaticServiceAndReturnsWithoutWindow)
{
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    ServiceConfig config;
    ASSERT_TRUE(m_Service.ReadConfig(&config));
    EXPECT_EQ(0x110u, config.dwType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_AUTO_START), config.dwStartType);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_ERROR_NORMAL), config.dwErrorControl);
    EXPECT_EQ(m_Folder.ExePath(), config.strBinaryPath);
    EXPECT_EQ(L"LocalSystem", config.strAccount);
    EXPECT_EQ(L"Telvarin", config.strDisplayName);
    EXPECT_EQ(L"Telvarin Host", config.strDescription);
    // The failure actions cannot be read back under Wine (see the unit test); installed but stopped.
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOPPED), m_Service.State());
}

TEST_F(CServiceModeTest, StartedServiceRunsTheHostAndStopsItAfterTwoAndAHalfSeconds)
{
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    const std::vector<DWORD> vecStart = StartService();
    EXPECT_EQ((std::vector<DWORD>{SERVICE_START_PENDING, SERVICE_RUNNING}), vecStart);
    ASSERT_NE(nullptr, WaitForServiceWindow());

    SERVICE_STATUS status = {};
    const ULONGLONG ullStop = GetTickCount64();
    ASSERT_TRUE(m_Service.Control(SERVICE_CONTROL_STOP, &status));
    // The handler has reported STOP_PENDING before the stop returns. A control right after
    // it (an interrogate of a caller waiting for STOPPED) is refused and harms nothing;
    // under Wine it killed a service that still reported RUNNING.
    EXPECT_EQ(static_cast<DWORD>(SERVICE_STOP_PENDING), status.dwCurrentState);
    SERVICE_STATUS interrogated = {};
    EXPECT_FALSE(m_Service.Control(SERVICE_CONTROL_INTERROGATE, &interrogated));
    EXPECT_EQ(static_cast<DWORD>(ERROR_SERVICE_CANNOT_ACCEPT_CTRL), GetLastError());
    std::vector<DWORD> vecStop;
    ASSERT_TRUE(m_Service.WaitForState(SERVICE_STOPPED, 10000, &vecStop));
    const ULONGLONG ullStopped = GetTickCount64() - ullStop;
    EXPECT_EQ((std::vector<DWORD>{SERVICE_STOP_PENDING, SERVICE_STOPPED}), vecStop);
    EXPECT_GE(ullStopped, 2400u);
    EXPECT_LT(ullStopped, 6000u);
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(ServiceProcessEnded(10000, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    // The start switch starts it again.
    ASSERT_TRUE(RunSwitch(m_Folder, L"-D"));
    EXPECT_TRUE(m_Service.WaitForState(SERVICE_RUNNING, START_TIMEOUT_MS));
}

TEST_F(CServiceModeTest, PauseAndContinueChangeStateOnlyOnTheMainThread)
{
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    StartService();
    HWND hWnd = WaitForServiceWindow();
    ASSERT_NE(nullptr, hWnd);
    const DWORD dwMainThread = GetWindowThreadProcessId(hWnd, nullptr);

    struct Step
    {
        DWORD dwControl;
        DWORD dwBefore;
        DWORD dwPending;
        DWORD dwAfter;
    };
    const Step aSteps[] = {{SERVICE_CONTROL_PAUSE, SERVICE_RUNNING, SERVICE_PAUSE_PENDING, SERVICE_PAUSED},
                           {SERVICE_CONTROL_CONTINUE, SERVICE_PAUSED, SERVICE_CONTINUE_PENDING, SERVICE_RUNNING}};
    DWORD dwCheckPoint = 0;
    for (const Step& step : aSteps)
    {
        SCOPED_TRACE(testing::Message() << "control " << step.dwControl);
        // The main thread may still be inside its report of the last state change (the
        // service manager shows the state before the call returns); held still there, it
        // would hold what the handler's own report needs. A sent message is answered only
        // once the thread is back in its message loop.
        DWORD_PTR dwResult = 0;
        ASSERT_NE(0, SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &dwResult));
        CSuspendedThread mainThread(dwMainThread);
        ASSERT_TRUE(mainThread.IsSuspended());
        SERVICE_STATUS status = {};
        ASSERT_TRUE(m_Service.Control(step.dwControl, &status)) << GetLastError();
        // The handler reports the record unchanged but for one more checkpoint.
        EXPECT_EQ(step.dwBefore, status.dwCurrentState);
        EXPECT_EQ(++dwCheckPoint, status.dwCheckPoint);
        Sleep(300);
        EXPECT_EQ(step.dwBefore, m_Service.State());
        mainThread.Resume();
        std::vector<DWORD> vecSeen;
        ASSERT_TRUE(m_Service.WaitForState(step.dwAfter, 5000, &vecSeen));
        for (DWORD dwState : vecSeen)
            EXPECT_TRUE(dwState == step.dwBefore || dwState == step.dwPending || dwState == step.dwAfter) << dwState;
    }
    // In service mode the plug-ins are not told.
    Sleep(300);
    EXPECT_TRUE(BusCalls(QEL_BUSMSG_SERVICEPAUSED).empty());
    EXPECT_TRUE(BusCalls(QEL_BUSMSG_SERVICERUNNING).empty());
}

TEST_F(CServiceModeTest, TrayStartBesideTheRunningServiceHandsOver)
{
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    StartService();
    ASSERT_NE(nullptr, WaitForServiceWindow());
    CHostProcess tray;
    const ULONGLONG ullStart = GetTickCount64();
    ASSERT_TRUE(tray.Start(m_Folder.ExePath()));
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(tray.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_GE(GetTickCount64() - ullStart, 2000u);
    EXPECT_EQ(static_cast<DWORD>(SERVICE_RUNNING), m_Service.State());
}

TEST_F(CServiceModeTest, TrayStartBesideTheStoppedServiceRefuses)
{
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    CHostProcess tray;
    ASSERT_TRUE(tray.Start(m_Folder.ExePath()));
    HWND hWndBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hWndBox = FindMessageBoxOfProcess(tray.Pid(), REFUSE_TEXT)) != nullptr; },
                          START_TIMEOUT_MS));
    PostMessageW(hWndBox, WM_COMMAND, IDOK, 0);
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(tray.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_TRUE(ReadProbeLog(m_strLog).empty());   // no plug-in was loaded
}

TEST_F(CServiceModeTest, TrayStartBesideTheServiceOfAnotherFolderRuns)
{
    CInstallFolder otherFolder;
    ASSERT_TRUE(RunSwitch(otherFolder, L"-I"));
    CHostProcess tray;
    HWND hWnd = StartTrayHost(tray);
    ASSERT_NE(nullptr, hWnd);
    CloseTrayHost(tray, hWnd);
}

TEST_F(CServiceModeTest, RemoveSwitchStopsAndDeletesTheServiceAndClosesTheTrayHost)
{
    CHostProcess tray;
    ASSERT_TRUE(tray.Start(m_Folder.ExePath()));
    ASSERT_NE(nullptr, tray.WaitForWindow(START_TIMEOUT_MS));
    ASSERT_TRUE(RunSwitch(m_Folder, L"-I"));
    StartService();
    ASSERT_NE(0u, m_dwServicePid);
    ASSERT_NE(nullptr, WaitForServiceWindow());

    ULONGLONG ullElapsed = 0;
    ASSERT_TRUE(RunSwitch(m_Folder, L"-U", &ullElapsed));
    // Stop (2.5 s), settle (2 s), delete, settle (2 s), close the tray host, wait 2.5 s.
    EXPECT_GE(ullElapsed, 9000u);
    EXPECT_FALSE(m_Service.Exists()) << "state " << m_Service.State() << " after " << ullElapsed << " ms";
    DWORD dwExitCode = 1234;
    EXPECT_TRUE(ServiceProcessEnded(0, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
    dwExitCode = 1234;
    ASSERT_TRUE(tray.WaitForExit(0, &dwExitCode));
    EXPECT_EQ(0u, dwExitCode);
}

TEST_F(CServiceModeTest, TrayModePauseAndContinueTellThePlugins)
{
    CHostProcess tray;
    HWND hWnd = StartTrayHost(tray);
    ASSERT_NE(nullptr, hWnd);
    SendMessageW(hWnd, WM_QEL_SERVICE, SERVICE_PAUSED, 0);
    SendMessageW(hWnd, WM_QEL_SERVICE, SERVICE_RUNNING, 0);
    EXPECT_TRUE(WaitUntil([this] { return !BusCalls(QEL_BUSMSG_SERVICERUNNING).empty(); }, 5000));
    std::vector<std::string> vecTypes;
    for (const ProbeCall& call : ReadProbeLog(m_strLog))
        if (call.strCall == "BusProcess" && (call.strType == "62" || call.strType == "63"))
            vecTypes.push_back(call.strType);
    EXPECT_EQ((std::vector<std::string>{"63", "62"}), vecTypes);
    EXPECT_FALSE(m_Service.Exists());   // nothing was installed or reported
    CloseTrayHost(tray, hWnd);
}

TEST_F(CServiceModeTest, StopMessagesFromOtherProcessesDoNotHoldTheTrayHost)
{
    CHostProcess tray;
    HWND hWnd = StartTrayHost(tray);
    ASSERT_NE(nullptr, hWnd);
    // Ten stop messages posted at once, then WM_CLOSE behind them in the same queue: in tray
    // mode nothing is reported to the system, so none of them waits between its reports,
    // and the close is reached at once, not after ten seconds.
    const ULONGLONG ullStart = GetTickCount64();
    for (int iPost = 0; iPost < 10; ++iPost)
        ASSERT_TRUE(PostMessageW(hWnd, WM_QEL_SERVICE, SERVICE_STOPPED, 0));
    ASSERT_TRUE(PostMessageW(hWnd, WM_CLOSE, 0, 0));
    DWORD dwExitCode = 1234;
    ASSERT_TRUE(tray.WaitForExit(START_TIMEOUT_MS, &dwExitCode));
    const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
    EXPECT_EQ(0u, dwExitCode);
    EXPECT_LT(ullElapsed, 3000u);
}
