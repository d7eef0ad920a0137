// While a modal loop runs on the host's main thread (its own for a question box or the
// information dialog; the system's for the tray menu or a window being moved), messages
// that other processes post to the host meet the same filter as in the host's main loop.
#include "SettingsGui.h"

#include "HostMemory.h"
#include "TrayGui.h"
#include "TelvarinPlugin.h"
#include "UiResources.h"

namespace {

const size_t CODE_STEP = 16;
const size_t MAX_ADDRESSES = 1500;

} // namespace

class ModalLoop : public CSettingsHostTest
{
protected:
    // Posts timer messages whose procedure would be code of the host's program, to the main
    // window, to the dialog and to the thread, then waits until the dialog's loop took them.
    void SprayProgramCode(HWND _hWndDialog)
    {
        const std::vector<LPARAM> vecCode = tvr::ProgramCodeAddresses(m_Host.Handle(), CODE_STEP);
        ASSERT_GT(vecCode.size(), 100u) << "no code of the program found in the host";
        const size_t uStride = vecCode.size() / MAX_ADDRESSES + 1;
        const DWORD dwThread = GetWindowThreadProcessId(m_hWnd, nullptr);
        for (size_t i = 0; i < vecCode.size(); i += uStride)
        {
            PostMessageW(m_hWnd, WM_TIMER, 1, vecCode[i]);
            PostMessageW(_hWndDialog, WM_TIMER, 1, vecCode[i]);
            PostThreadMessageW(dwThread, WM_TIMER, 1, vecCode[i]);
        }
        // A sent message is answered only once the loop waits again, after the posted ones.
        DWORD_PTR dwResult = 0;
        ASSERT_NE(0, SendMessageTimeoutW(_hWndDialog, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &dwResult))
            << "the host ended: " << !m_Host.IsRunning();
        ASSERT_TRUE(m_Host.IsRunning());
        ASSERT_TRUE(IsWindow(_hWndDialog));
    }
    void ExpectOrderlyEnd()
    {
        PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
        DWORD dwExitCode = 1;
        ASSERT_TRUE(m_Host.WaitForExit(15000, &dwExitCode));
        EXPECT_EQ(0u, dwExitCode);
    }
};

TEST_F(ModalLoop, TimerMessagesWithProgramCodeCallNothingWhileTheQuestionIsOpen)
{
    StartHost();
    ASSERT_NE(nullptr, OpenSettings());
    ASSERT_TRUE(WaitSelected(L"Module info"));
    ReportChange();
    PostMessageW(m_hWndSettings, WM_COMMAND, IDCANCEL, 0);
    const HWND hWndBox = WaitForQuestion();
    ASSERT_NE(nullptr, hWndBox);
    ASSERT_NO_FATAL_FAILURE(SprayProgramCode(hWndBox));

    // Cancel keeps the window; the host still serves and ends in order.
    Answer(hWndBox, IDCANCEL);
    EXPECT_TRUE(IsWindow(m_hWndSettings));
    ExpectOrderlyEnd();
}

TEST_F(ModalLoop, TimerMessagesWithProgramCodeCallNothingWhileTheInformationDialogIsOpen)
{
    StartHost();
    // The tray's information item, as another process can post it.
    PostMessageW(m_hWnd, WM_COMMAND, IDM_TRAY_INFO, 0);
    HWND hWndInfo = nullptr;
    ASSERT_TRUE(tvr::WaitUntil([&] { return (hWndInfo = FindProcessWindow(m_Host.Pid(), L"#32770")) != nullptr; }, 5000));
    ASSERT_NE(nullptr, GetDlgItem(hWndInfo, IDC_INFO_LINK));
    ASSERT_NO_FATAL_FAILURE(SprayProgramCode(hWndInfo));

    // Its OK button ends it; the host goes on.
    PostMessageW(hWndInfo, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return !IsWindow(hWndInfo); }, 5000));
    EXPECT_TRUE(m_Host.IsRunning());
    ExpectOrderlyEnd();
}

TEST_F(ModalLoop, TimerMessagesWithProgramCodeCallNothingWhileTheTrayMenuIsOpen)
{
    StartHost();
    // A right click on the tray icon, as the shell reports it and as another process can post it.
    PostMessageW(m_hWnd, WM_QEL_TRAYNOTIFY, 0, WM_RBUTTONUP);
    HWND hWndMenu = nullptr;
    ASSERT_TRUE(tvr::WaitUntil([&] { return (hWndMenu = FindProcessWindow(m_Host.Pid(), L"#32768")) != nullptr; }, 5000));
    ASSERT_NO_FATAL_FAILURE(SprayProgramCode(hWndMenu));

    // The menu still answers its keys: Escape closes it, and the host goes on.
    PostMessageW(hWndMenu, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return !IsWindowVisible(hWndMenu); }, 5000));
    EXPECT_TRUE(m_Host.IsRunning());
    ExpectOrderlyEnd();
}

namespace {

bool IsInMoveSizeLoop(HWND _hWnd)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    return GetGUIThreadInfo(GetWindowThreadProcessId(_hWnd, nullptr), &info) && (info.flags & GUI_INMOVESIZE) != 0;
}

} // namespace

TEST_F(ModalLoop, TimerMessagesWithProgramCodeCallNothingWhileTheSettingsWindowIsMoved)
{
    StartHost();
    ASSERT_NE(nullptr, OpenSettings());
    // The system's move loop, entered by a posted keyboard move command as from the window menu.
    PostMessageW(m_hWndSettings, WM_SYSCOMMAND, SC_MOVE, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return IsInMoveSizeLoop(m_hWndSettings); }, 5000));
    ASSERT_NO_FATAL_FAILURE(SprayProgramCode(m_hWndSettings));
    EXPECT_TRUE(IsInMoveSizeLoop(m_hWndSettings));

    // Escape still ends the move; the host goes on.
    PostMessageW(m_hWndSettings, WM_KEYDOWN, VK_ESCAPE, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return !IsInMoveSizeLoop(m_hWndSettings); }, 5000));
    EXPECT_TRUE(m_Host.IsRunning());
    ExpectOrderlyEnd();
}
