#include <gtest/gtest.h>
#include <windows.h>
#include <fstream>
#include <string>

#include "CaptureWindow.h"
#include "TelvarinPlugin.h"
#include "host/window/MainWindow.h"
#include "base/ProgramPath.h"
#include "host/window/MainWindowProc.h"

using tvr::CCaptureWindow;

namespace {

int CountPosted(CCaptureWindow& _Window, UINT _uMsg)
{
    int iCount = 0;
    MSG msg;
    while (_Window.TakePosted(_uMsg, &msg))
    {
        if (_uMsg == WM_QEL_BUS)
            CCaptureWindow::TakeRecordText(msg);
        ++iCount;
    }
    return iCount;
}

} // namespace

TEST(WakeUpTimer, OneWakeUpMessagePerResume)
{
    CCaptureWindow window;
    g_hWndParent = window.Handle();
    OnWindowTimer(TIMER_WAKEUP);
    EXPECT_EQ(0, CountPosted(window, WM_QEL_BUS));

    OnPowerBroadcast(PBT_APMSUSPEND, 0);
    OnWindowTimer(TIMER_WAKEUP);
    EXPECT_EQ(0, CountPosted(window, WM_QEL_BUS));

    OnPowerBroadcast(PBT_APMRESUMESUSPEND, 0);
    OnWindowTimer(TIMER_DEBUGSETTINGS + 40);   // an unknown timer does nothing
    EXPECT_EQ(0, CountPosted(window, WM_QEL_BUS));
    OnWindowTimer(TIMER_WAKEUP);
    MSG msg;
    ASSERT_TRUE(window.TakePosted(WM_QEL_BUS, &msg));
    EXPECT_EQ(static_cast<WPARAM>(QEL_BUSMSG_WAKEUP), msg.wParam);
    CCaptureWindow::TakeRecordText(msg);
    OnWindowTimer(TIMER_WAKEUP);
    EXPECT_EQ(0, CountPosted(window, WM_QEL_BUS));
    g_hWndParent = nullptr;
}

TEST(PumpFor, RunsWholeHundredMillisecondRoundsOnly)
{
    CCaptureWindow window;
    PostMessageW(window.Handle(), WM_USER + 1, 0, 0);
    PumpFor(99);   // no round at all
    EXPECT_TRUE(window.Sent().empty());
    const ULONGLONG ullStart = GetTickCount64();
    PumpFor(250);   // two rounds
    const ULONGLONG ullElapsed = GetTickCount64() - ullStart;
    ASSERT_EQ(1u, window.Sent().size());
    EXPECT_EQ(static_cast<UINT>(WM_USER + 1), window.Sent()[0].uMsg);
    EXPECT_GE(ullElapsed, 180u);   // two 100 ms sleeps, measured with a coarse tick count
}

class PendingUpdate : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(BuildProgramPath(L"XDOWNLOAD.EX_", m_szPending, MAX_PATH));
        ASSERT_TRUE(BuildProgramPath(L"XDOWNLOAD.EXE", m_szTarget, MAX_PATH));
        TearDown();
    }
    void TearDown() override
    {
        DeleteFileW(m_szPending);
        DeleteFileW(m_szTarget);
    }
    static void Write(const wchar_t* _pszPath, const char* _pszContent)
    {
        HANDLE hFile = CreateFileW(_pszPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD cbWritten = 0;
        WriteFile(hFile, _pszContent, static_cast<DWORD>(strlen(_pszContent)), &cbWritten, nullptr);
        CloseHandle(hFile);
    }
    static std::string Read(const wchar_t* _pszPath)
    {
        HANDLE hFile = CreateFileW(_pszPath, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        if (hFile == INVALID_HANDLE_VALUE)
            return "<missing>";
        char szBuffer[64] = "";
        DWORD cbRead = 0;
        ReadFile(hFile, szBuffer, sizeof(szBuffer) - 1, &cbRead, nullptr);
        CloseHandle(hFile);
        return std::string(szBuffer, cbRead);
    }
    wchar_t m_szPending[MAX_PATH];
    wchar_t m_szTarget[MAX_PATH];
};

TEST_F(PendingUpdate, DownloadedUpdaterReplacesTheOldOne)
{
    Write(m_szTarget, "old");
    Write(m_szPending, "new");
    CompletePendingUpdate();
    EXPECT_EQ("new", Read(m_szTarget));
    EXPECT_EQ("<missing>", Read(m_szPending));
}

TEST_F(PendingUpdate, NothingPendingLeavesTheUpdaterAlone)
{
    Write(m_szTarget, "old");
    CompletePendingUpdate();
    EXPECT_EQ("old", Read(m_szTarget));
}

TEST_F(PendingUpdate, UpdateIsKeptWhenTheUpdaterCannotBeReplaced)
{
    Write(m_szTarget, "old");
    Write(m_szPending, "new");
    // The running updater holds its file without sharing it.
    HANDLE hBusy = CreateFileW(m_szTarget, GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hBusy);
    CompletePendingUpdate();
    CloseHandle(hBusy);
    EXPECT_EQ("old", Read(m_szTarget));
    EXPECT_EQ("new", Read(m_szPending));
}
