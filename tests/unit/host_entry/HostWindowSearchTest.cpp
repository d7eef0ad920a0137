#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "TelvarinPlugin.h"
#include "host/entry/StartMode.h"

namespace {

struct TestWindow
{
    HWND hWnd;
    explicit TestWindow(HWND _hParent = nullptr, LONG_PTR _lUserData = 0)
    {
        hWnd = CreateWindowExW(0, L"STATIC", L"t", _hParent ? WS_CHILD : WS_OVERLAPPED, 0, 0, 10, 10, _hParent,
                               nullptr, nullptr, nullptr);
        SetWindowLongPtrW(hWnd, GWLP_USERDATA, _lUserData);
    }
    ~TestWindow() { DestroyWindow(hWnd); }
};

} // namespace

TEST(HostWindowSearch, FindsTheWindowInTheTreeDepthFirst)
{
    TestWindow top;
    ASSERT_NE(nullptr, top.hWnd);
    TestWindow child(top.hWnd);
    TestWindow grandChild(child.hWnd, HOST_WINDOW_ID);
    EXPECT_EQ(grandChild.hWnd, FindHostWindow(top.hWnd, HOST_WINDOW_ID));
    EXPECT_EQ(nullptr, FindHostWindow(top.hWnd, 0x12345678));
}

TEST(HostWindowSearch, ForeignSearchSkipsWindowsOfTheGivenProcess)
{
    TestWindow top;
    TestWindow tagged(top.hWnd, HOST_WINDOW_ID);
    EXPECT_EQ(tagged.hWnd, FindForeignHostWindow(top.hWnd, HOST_WINDOW_ID, GetCurrentProcessId() + 4));
    EXPECT_EQ(nullptr, FindForeignHostWindow(top.hWnd, HOST_WINDOW_ID, GetCurrentProcessId()));
}

// Another process's windows come and go while a start looks for the running host: the
// search must still find a window that lies behind them.
TEST(HostWindowSearch, FindsTheWindowWhileOtherWindowsComeAndGo)
{
    const DWORD dwIdentifier = 0x7E57C0DE;   // no host of another test carries it
    TestWindow tagged(nullptr, dwIdentifier);
    ASSERT_NE(nullptr, tagged.hWnd);
    std::atomic<bool> bStop{false};
    std::thread churn([&] {
        while (!bStop)
        {
            std::vector<TestWindow> vecWindows(20);
            vecWindows.clear();
        }
    });
    int iMissed = 0;
    for (int i = 0; i < 1000; ++i)
    {
        if (FindForeignHostWindow(GetDesktopWindow(), dwIdentifier, GetCurrentProcessId() + 4) != tagged.hWnd)
            ++iMissed;
    }
    bStop = true;
    churn.join();
    EXPECT_EQ(0, iMissed);
}

TEST(InstanceCount, TheCallingProcessCountsItself)
{
    wchar_t szProgram[512];
    GetModuleFileNameW(nullptr, szProgram, 512);
    EXPECT_EQ(1, CountInstances(szProgram));
    EXPECT_EQ(0, CountInstances(L"C:\\no\\such\\program.exe"));
}
