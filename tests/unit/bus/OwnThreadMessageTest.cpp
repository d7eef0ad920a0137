// Messages that only a window's own thread sends: refused when another thread sends them,
// also while the window's thread handles another thread's message, and never dispatched
// when posted.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <thread>
#include <vector>

#include "base/SentMessage.h"
#include "bus/MessageFilter.h"

namespace {

const UINT WM_TEST_SENDINNER = WM_APP + 1;   // the window sends itself WM_NOTIFY while it handles this
std::vector<bool> g_vecRefused;              // IsRefusedFromOtherThread for each WM_NOTIFY, in order

LRESULT CALLBACK RecordingProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_NOTIFY)
        g_vecRefused.push_back(IsRefusedFromOtherThread(_uMsg));
    if (_uMsg == WM_TEST_SENDINNER)
        SendMessageW(_hWnd, WM_NOTIFY, 0, 0);
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

// Sends from another thread while this one handles what arrives.
void SendFromOtherThread(HWND _hWnd, UINT _uMsg)
{
    std::atomic<bool> bDone{false};
    std::thread sender([&] {
        SendMessageW(_hWnd, _uMsg, 0, 0);
        bDone = true;
    });
    MSG msg;
    while (!bDone)
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_SENDMESSAGE);
        PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);   // handles the sent messages
    }
    sender.join();
}

} // namespace

TEST(OwnThreadMessage, RefusedOnlyWhenAnotherThreadSentThatMessage)
{
    const CSenderWatch watch;
    WNDCLASSW wc = {};
    wc.lpfnWndProc = RecordingProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"OwnThreadMessageTest";
    RegisterClassW(&wc);
    const HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    g_vecRefused.clear();
    SendMessageW(hWnd, WM_NOTIFY, 0, 0);             // this thread
    SendFromOtherThread(hWnd, WM_NOTIFY);            // another thread
    SendFromOtherThread(hWnd, WM_TEST_SENDINNER);    // this thread, inside another thread's message
    SendMessageW(hWnd, WM_NOTIFY, 0, 0);             // this thread again: the watch is balanced
    DestroyWindow(hWnd);
    UnregisterClassW(wc.lpszClassName, wc.hInstance);
    EXPECT_EQ((std::vector<bool>{false, true, false, false}), g_vecRefused);
}

TEST(OwnThreadMessage, PostedStructMessagesAreNeverDispatchedToAnyWindow)
{
    const HWND hWndMain = reinterpret_cast<HWND>(0x1234);
    const HWND hWndOther = reinterpret_cast<HWND>(0x5678);
    for (const UINT uMsg : {WM_NOTIFY, WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_COMPAREITEM, WM_HELP,
                            WM_GETMINMAXINFO, WM_INITDIALOG})
    {
        for (const HWND hWnd : {hWndMain, hWndOther, HWND(nullptr)})
        {
            const MSG msg = {hWnd, uMsg, 0, 0x10000, 0, {}};
            EXPECT_FALSE(IsDispatchable(msg, hWndMain)) << uMsg;
        }
    }
    // Messages the system does post still pass to the other windows.
    for (const UINT uMsg : {WM_PAINT, WM_KEYDOWN, WM_LBUTTONUP, WM_COMMAND})
        EXPECT_TRUE(IsDispatchable(MSG{hWndOther, uMsg, 0, 0, 0, {}}, hWndMain)) << uMsg;
}
