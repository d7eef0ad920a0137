// The service side seen from the main window: what the control actions and the state
// messages hand to it, in tray mode and in service mode (no status handle in this process).
#include <gtest/gtest.h>
#include <windows.h>
#include <string>
#include <vector>

#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"
#include "host/service/ServiceSide.h"

namespace {

struct SentMessage
{
    UINT uMsg;
    WPARAM wParam;
};

// A hidden window in the main window's place that records what is sent to it.
class CServiceSideTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = RecordingProc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"TvrServiceSideTest";
        RegisterClassW(&windowClass);
        m_hWnd = CreateWindowW(L"TvrServiceSideTest", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               GetModuleHandleW(nullptr), nullptr);
        ASSERT_NE(nullptr, m_hWnd);
        s_vecSent.clear();
        g_hWndParent = m_hWnd;
        g_dwServiceMode = 0;
        InitServiceStatus();
    }
    void TearDown() override
    {
        TakePosted();
        g_dwServiceMode = 0;
        g_hWndParent = nullptr;
        DestroyWindow(m_hWnd);
    }
    // Posted messages of the window, in order; bus blocks are released.
    std::vector<SentMessage> TakePosted()
    {
        std::vector<SentMessage> vecPosted;
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
        {
            vecPosted.push_back({msg.message, msg.wParam});
            if (msg.message == WM_QEL_BUS)
                CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam)).Release();
        }
        return vecPosted;
    }
    // Bus types among the posted messages, trace lines left out.
    std::vector<WPARAM> PostedBusTypes()
    {
        std::vector<WPARAM> vecTypes;
        for (const SentMessage& message : TakePosted())
            if (message.uMsg == WM_QEL_BUS && message.wParam != QEL_BUSMSG_TRACE)
                vecTypes.push_back(message.wParam);
        return vecTypes;
    }
    std::vector<SentMessage> PostedServiceMessages()
    {
        std::vector<SentMessage> vecService;
        for (const SentMessage& message : TakePosted())
            if (message.uMsg == WM_QEL_SERVICE || message.uMsg == WM_DESTROY)
                vecService.push_back(message);
        return vecService;
    }

    static LRESULT CALLBACK RecordingProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
    {
        if (_uMsg == WM_DESTROY || _uMsg == WM_QEL_SERVICE)
            s_vecSent.push_back({_uMsg, _wParam});
        return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    }
    static std::vector<SentMessage> s_vecSent;
    HWND m_hWnd = nullptr;
};

std::vector<SentMessage> CServiceSideTest::s_vecSent;

}   // namespace

TEST_F(CServiceSideTest, TrayModePauseAndContinueTellThePlugins)
{
    DispatchServiceMessages(SERVICE_PAUSED);
    DispatchServiceMessages(SERVICE_RUNNING);
    EXPECT_EQ((std::vector<WPARAM>{QEL_BUSMSG_SERVICEPAUSED, QEL_BUSMSG_SERVICERUNNING}), PostedBusTypes());
    // Other values change nothing.
    DispatchServiceMessages(0);
    DispatchServiceMessages(SERVICE_PAUSE_PENDING);
    EXPECT_TRUE(PostedBusTypes().empty());
}

// What the system sees is checked against Wine's service manager by the system test
// PauseAndContinueChangeStateOnlyOnTheMainThread; this process has no status handle, so
// here the states handed to the report are read from the trace lines.
TEST_F(CServiceSideTest, ServiceModePauseAndContinueOnlyReportToTheSystem)
{
    g_dwServiceMode = 1;
    g_dwGlobalDebugLevel = 2;
    DispatchServiceMessages(SERVICE_PAUSED);
    DispatchServiceMessages(SERVICE_RUNNING);
    g_dwGlobalDebugLevel = 0;
    std::vector<std::wstring> vecStates;
    std::vector<WPARAM> vecBusTypes;
    const std::wstring strStatePrefix = L"Func.SetStatus.Param._dwState ";
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE))
    {
        const std::wstring strText = GetBusValue(RecordOfBlock(msg.lParam), L"Text");
        const size_t nAt = strText.find(strStatePrefix);
        if (msg.wParam != QEL_BUSMSG_TRACE)
            vecBusTypes.push_back(msg.wParam);
        else if (nAt != std::wstring::npos)
            vecStates.push_back(strText.substr(nAt + strStatePrefix.size()));
        CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam)).Release();
    }
    EXPECT_EQ((std::vector<std::wstring>{L"6", L"7", L"5", L"4"}), vecStates);
    EXPECT_TRUE(vecBusTypes.empty());   // no 62 or 63 for the plug-ins
}

TEST_F(CServiceSideTest, StoppedMessageWithoutStatusReportsDoesNotWaitAndDropsTheQueuedStops)
{
    // Nothing reaches the system here (no status handle), so nothing holds the main thread.
    for (WPARAM wParam : {SERVICE_STOPPED, SERVICE_STOPPED, SERVICE_PAUSED, SERVICE_STOPPED})
        PostMessageW(m_hWnd, WM_QEL_SERVICE, wParam, 0);
    const ULONGLONG ullStart = GetTickCount64();
    DispatchServiceMessages(SERVICE_STOPPED);
    EXPECT_LT(GetTickCount64() - ullStart, 500u);
    // The pause request keeps its place and the stop behind it stays a request of its own.
    const std::vector<SentMessage> vecLeft = PostedServiceMessages();
    ASSERT_EQ(2u, vecLeft.size());
    EXPECT_EQ(static_cast<WPARAM>(SERVICE_PAUSED), vecLeft[0].wParam);
    EXPECT_EQ(static_cast<WPARAM>(SERVICE_STOPPED), vecLeft[1].wParam);
}

TEST_F(CServiceSideTest, PauseAndContinueControlsPostTheStateToTheMainWindow)
{
    Handler(SERVICE_CONTROL_PAUSE);
    Handler(SERVICE_CONTROL_CONTINUE);
    Handler(SERVICE_CONTROL_INTERROGATE);
    Handler(200);   // a user-defined control: ignored
    const std::vector<SentMessage> vecPosted = PostedServiceMessages();
    ASSERT_EQ(2u, vecPosted.size());
    EXPECT_EQ(static_cast<UINT>(WM_QEL_SERVICE), vecPosted[0].uMsg);
    EXPECT_EQ(static_cast<WPARAM>(SERVICE_PAUSED), vecPosted[0].wParam);
    EXPECT_EQ(static_cast<UINT>(WM_QEL_SERVICE), vecPosted[1].uMsg);
    EXPECT_EQ(static_cast<WPARAM>(SERVICE_RUNNING), vecPosted[1].wParam);
    EXPECT_TRUE(s_vecSent.empty());
}

TEST_F(CServiceSideTest, StopClearsTheRunningFlagAndShutdownDestroysTheWindowAtOnce)
{
    g_dwServiceRunning = 1;
    Handler(SERVICE_CONTROL_STOP);
    EXPECT_EQ(0u, g_dwServiceRunning.load());
    EXPECT_TRUE(PostedServiceMessages().empty());

    Handler(SERVICE_CONTROL_SHUTDOWN);
    // Sent, not posted: the window has handled it when the handler returns.
    ASSERT_EQ(1u, s_vecSent.size());
    EXPECT_EQ(static_cast<UINT>(WM_DESTROY), s_vecSent[0].uMsg);
    EXPECT_TRUE(PostedServiceMessages().empty());
}
