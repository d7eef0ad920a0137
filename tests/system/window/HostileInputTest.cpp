// Another process drives the host with values an attacker would use: stray numbers, live
// blocks of the host's own heap and addresses of its own code. The host must go on
// serving records and end in order, and its hidden window must stay as it is.
#include "HostWindowFixture.h"

#include <psapi.h>

#include <algorithm>

#include "HostMemory.h"
#include "TelvarinPlugin.h"

using tvr::MakeRecord;
using tvr::SendRecordText;

namespace {

const DWORD ANSWER_MS = 5000;
// A flood of posted messages takes the host a while to work through.
const DWORD DRAIN_MS = 120000;

std::wstring Title(HWND _hWnd)
{
    wchar_t szTitle[64] = L"";
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(_hWnd, WM_GETTEXT, ARRAYSIZE(szTitle), reinterpret_cast<LPARAM>(szTitle), SMTO_NORMAL,
                        ANSWER_MS, &dwResult);
    return szTitle;
}

// Every n-th value, so that a spray covers the whole range in a bounded number of messages.
std::vector<LPARAM> Spread(const std::vector<LPARAM>& _vecValues, size_t _uMax)
{
    std::vector<LPARAM> vecSpread;
    const size_t uStep = std::max<size_t>(1, _vecValues.size() / _uMax);
    for (size_t i = 0; i < _vecValues.size(); i += uStep)
        vecSpread.push_back(_vecValues[i]);
    return vecSpread;
}

// Heap block addresses and their near neighbours.
std::vector<LPARAM> HeapSpray(HANDLE _hProcess, size_t _uMax)
{
    std::vector<LPARAM> vecSpray;
    for (LPARAM lBlock : Spread(tvr::HeapBlockAddresses(_hProcess, 20000), _uMax))
    {
        for (LPARAM lOffset : {0, 8, 16, -16})
            vecSpray.push_back(lBlock + lOffset);
    }
    return vecSpray;
}

bool IsFromProbe(const tvr::ProbeCall& _call, const char* _pszModule, const char* _pszCall)
{
    return _call.strModule == _pszModule && _call.strCall == _pszCall;
}

}   // namespace

class HostileInputTest : public HostWindowTest
{
protected:
    // The host serves records of every size, keeps its window hidden and titled, and
    // ends through WM_CLOSE with exit code 0 after every plug-in's before-close call.
    void ExpectServingAndOrderlyEnd()
    {
        ExpectAlive();
        ASSERT_NO_FATAL_FAILURE(Sync(DRAIN_MS));
        EXPECT_FALSE(IsWindowVisible(m_hWnd));
        EXPECT_EQ(L"Telvarin", Title(m_hWnd));
        for (size_t cchValue : {size_t(1), size_t(1000), size_t(16000), size_t(40000)})
        {
            const std::wstring strValue(cchValue, L'v');
            SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_CALLEVENT, {{L"Event", L"size"}, {L"Value", strValue}}));
        }
        Sync();
        const auto vecEvents = Received(QEL_BUSMSG_CALLEVENT);
        EXPECT_EQ(4, std::count_if(vecEvents.begin(), vecEvents.end(),
                                   [](const tvr::ProbeCall& _call) { return _call.Field("Event") == "size"; }));
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_STATUS, {{L"State", L"2"}, {L"Text", L"after"}}));
        ASSERT_TRUE(tvr::WaitUntil(
            [&] {
                const auto vecStatus = Received(QEL_BUSMSG_STATUS);
                return !vecStatus.empty() && vecStatus.back().Field("Text") == "after";
            },
            ANSWER_MS));

        ASSERT_TRUE(PostMessageW(m_hWnd, WM_CLOSE, 0, 0));
        DWORD dwExitCode = 1234;
        ASSERT_TRUE(m_Host.WaitForExit(15000, &dwExitCode));
        EXPECT_EQ(0u, dwExitCode);
        const auto vecLog = tvr::ReadProbeLog(m_strLog);
        for (const char* pszModule : {"PluginProbeA", "PluginProbeB"})
        {
            EXPECT_TRUE(std::any_of(vecLog.begin(), vecLog.end(), [&](const tvr::ProbeCall& _call) {
                return IsFromProbe(_call, pszModule, "BeforeClose");
            })) << pszModule;
        }
    }

    // Posts each value as lParam of the message, with a check of the host now and then.
    void Spray(UINT _uMsg, WPARAM _wParam, const std::vector<LPARAM>& _vecValues)
    {
        size_t uSent = 0;
        for (LPARAM lValue : _vecValues)
        {
            PostMessageW(m_hWnd, _uMsg, _wParam, lValue);
            if (++uSent % 200 == 0)
            {
                ASSERT_NO_FATAL_FAILURE(ExpectAlive());
            }
        }
        ASSERT_NO_FATAL_FAILURE(ExpectAlive());
        ASSERT_NO_FATAL_FAILURE(Sync(DRAIN_MS));
    }
};

TEST_F(HostileInputTest, BusBlocksNamingTheHostsOwnHeapAreNeitherReadNorFreed)
{
    StartHost();
    const std::vector<LPARAM> vecSpray = HeapSpray(m_Host.Handle(), 600);
    ASSERT_GT(vecSpray.size(), 400u) << "too few heap addresses found in the host";
    for (UINT uType : {QEL_BUSMSG_STATUS, QEL_BUSMSG_LASTERROR})
        ASSERT_NO_FATAL_FAILURE(Spray(WM_QEL_BUS, uType, vecSpray));
    // Not one of the guessed blocks was taken for a record: every status the plug-ins
    // saw was empty, and no guessed block became the last error.
    const auto vecStatus = Received(QEL_BUSMSG_STATUS);
    EXPECT_EQ(vecSpray.size(), vecStatus.size());
    for (const tvr::ProbeCall& call : vecStatus)
        EXPECT_TRUE(call.vecFields.empty()) << call.Field("Text");
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, MemBlocksInWindowTextNamingTheHostsHeapAreNeverFreed)
{
    StartHost();
    const std::vector<LPARAM> vecSpray = HeapSpray(m_Host.Handle(), 400);
    ASSERT_GT(vecSpray.size(), 400u);
    size_t uSent = 0;
    for (LPARAM lBlock : vecSpray)
    {
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_CALLEVENT, {{L"MemBlock", std::to_wstring(lBlock)}}), uSent % 2);
        if (++uSent % 200 == 0)
        {
            ASSERT_NO_FATAL_FAILURE(ExpectAlive());
        }
    }
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, CallFunctionWithAddressesOfTheProgramsCodeRunsNothing)
{
    StartHost();
    const std::vector<LPARAM> vecCode = Spread(tvr::ProgramCodeAddresses(m_Host.Handle(), 4), 3000);
    ASSERT_GT(vecCode.size(), 1000u) << "no code of the program found in the host";
    ASSERT_NO_FATAL_FAILURE(Spray(WM_QEL_CALLFUNCTION, 0, vecCode));
    // Refusals are traced, but only a bounded number of them.
    Sync();
    EXPECT_LE(TraceLines("WM_QEL_CALLFUNCTION.Error").size(), 20u);
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, TimerMessagesCarryingCodeOrHeapAddressesCallNothing)
{
    StartHost();
    std::vector<LPARAM> vecValues = Spread(tvr::ProgramCodeAddresses(m_Host.Handle(), 4), 1000);
    const std::vector<LPARAM> vecHeap = HeapSpray(m_Host.Handle(), 100);
    vecValues.insert(vecValues.end(), vecHeap.begin(), vecHeap.end());
    for (WPARAM wTimer : {0, 1, 2, 3, 7})
        ASSERT_NO_FATAL_FAILURE(Spray(WM_TIMER, wTimer, vecValues));
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, TraceAndSchemePointersIntoTheHostsHeapAreNotRead)
{
    StartHost();
    const std::vector<LPARAM> vecSpray = HeapSpray(m_Host.Handle(), 500);
    const size_t uTracesBefore = Received(QEL_BUSMSG_TRACE).size();
    for (LPARAM lPointer : vecSpray)
    {
        SendMessageTimeoutW(m_hWnd, WM_QEL_TRACE, 0, lPointer, SMTO_NORMAL, ANSWER_MS, nullptr);
        PostMessageW(m_hWnd, WM_QEL_SCHEME, 0, lPointer);
    }
    ASSERT_NO_FATAL_FAILURE(Sync(DRAIN_MS));
    // Heap contents never became trace lines: what arrived are the bounded refusal lines.
    EXPECT_LE(Received(QEL_BUSMSG_TRACE).size() - uTracesBefore, 40u);
    for (const tvr::ProbeCall& call : Received(QEL_BUSMSG_SCHEME))
        EXPECT_EQ("0", call.Field("SchemeIndex"));
    ExpectServingAndOrderlyEnd();
}

// A plug-in that traces a record hands over line breaks: the line is taken with blanks in
// their place, and the sender's text is left as it was.
TEST_F(HostileInputTest, TraceLineWithLineBreaksIsTakenWithBlanksAndTheSendersTextStays)
{
    StartHost();
    const std::wstring strLine = L"2026-12-09 10:00:00.000 (probe) record:\r\n<data>\tType 44\n</data>";
    const size_t cbLine = (strLine.size() + 1) * sizeof(wchar_t);
    tvr::CRemoteBuffer buffer(m_Host.Handle(), cbLine);
    ASSERT_TRUE(buffer.Write(strLine.c_str(), cbLine));
    ASSERT_NE(0, SendMessageTimeoutW(m_hWnd, WM_QEL_TRACE, 0, buffer.Param(), SMTO_NORMAL, ANSWER_MS, nullptr));
    ASSERT_TRUE(WaitForTrace("(probe) record:"));
    EXPECT_EQ("2026-12-09 10:00:00.000 (probe) record:  <data> Type 44 </data>",
              TraceLines("(probe) record:")[0].Field("Text"));
    std::wstring strAfter(strLine.size(), L'\0');
    ASSERT_TRUE(buffer.Read(&strAfter[0], strLine.size() * sizeof(wchar_t)));
    EXPECT_TRUE(strAfter == strLine);
}

TEST_F(HostileInputTest, RepeatedRefusalsAndTimerTicksCostBoundedMemory)
{
    StartHost();
    PROCESS_MEMORY_COUNTERS_EX before = {};
    GetProcessMemoryInfo(m_Host.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&before), sizeof(before));
    for (int i = 0; i < 20000; ++i)
    {
        PostMessageW(m_hWnd, WM_QEL_CALLFUNCTION, 0, 0x1000 + i * 16);
        PostMessageW(m_hWnd, WM_TIMER, 1, 0);
    }
    ASSERT_NO_FATAL_FAILURE(ExpectAlive());
    ASSERT_NO_FATAL_FAILURE(Sync(DRAIN_MS));
    PROCESS_MEMORY_COUNTERS_EX after = {};
    GetProcessMemoryInfo(m_Host.Handle(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&after), sizeof(after));
    // 40,000 posts: each refused call and each forged hourly tick was bounded in what it
    // queued and traced (unbounded, they cost tens of kilobytes each).
    EXPECT_LT(after.PrivateUsage, before.PrivateUsage + 32 * 1024 * 1024);
    EXPECT_LE(TraceLines("Event.TIMER_DEBUGSETTINGS.Var").size(), 10u);
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, HiddenWindowStaysHiddenAndKeepsItsTitle)
{
    StartHost();
    for (WPARAM wCommand : {SC_RESTORE, SC_MAXIMIZE, SC_MINIMIZE, SC_SIZE, SC_MOVE, SC_HOTKEY})
    {
        SendMessageTimeoutW(m_hWnd, WM_SYSCOMMAND, wCommand, 0, SMTO_NORMAL, ANSWER_MS, nullptr);
        PostMessageW(m_hWnd, WM_SYSCOMMAND, wCommand, 0);
    }
    SendMessageTimeoutW(m_hWnd, WM_SETREDRAW, TRUE, 0, SMTO_NORMAL, ANSWER_MS, nullptr);
    PostMessageW(m_hWnd, WM_SETREDRAW, TRUE, 0);
    SendMessageTimeoutW(m_hWnd, WM_SHOWWINDOW, TRUE, 0, SMTO_NORMAL, ANSWER_MS, nullptr);
    CREATESTRUCTW create = {};
    create.lpszName = L"Renamed";
    SendMessageTimeoutW(m_hWnd, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create), SMTO_NORMAL, ANSWER_MS, nullptr);
    SendMessageTimeoutW(m_hWnd, WM_NCDESTROY, 0, 0, SMTO_NORMAL, ANSWER_MS, nullptr);
    SetWindowTextW(m_hWnd, L"Renamed");
    ShowWindow(m_hWnd, SW_SHOWNORMAL);
    // The system menu and the frame buttons would run modal loops on the main thread.
    for (UINT uMsg : {0x0313u, static_cast<UINT>(WM_CONTEXTMENU), static_cast<UINT>(WM_NCLBUTTONDOWN),
                      static_cast<UINT>(WM_NCRBUTTONUP), static_cast<UINT>(WM_SYSKEYUP)})
    {
        for (WPARAM wHit : {WPARAM(HTSYSMENU), WPARAM(HTMINBUTTON), WPARAM(HTCAPTION), WPARAM(VK_MENU)})
        {
            PostMessageW(m_hWnd, uMsg, wHit, 0);
            EXPECT_NE(0, SendMessageTimeoutW(m_hWnd, uMsg, wHit, 0, SMTO_NORMAL, ANSWER_MS, nullptr))
                << "message " << uMsg << " held the host";
        }
    }
    ASSERT_NO_FATAL_FAILURE(ExpectAlive());
    Sync();
    EXPECT_FALSE(IsWindowVisible(m_hWnd));
    EXPECT_EQ(L"Telvarin", Title(m_hWnd));
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, SessionEndQueryThatIsNotFollowedByTheEndReopensThePlugins)
{
    StartHost();
    DWORD_PTR dwResult = 0;
    ASSERT_NE(0, SendMessageTimeoutW(m_hWnd, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &dwResult));
    EXPECT_EQ(1u, dwResult);
    const auto countCalls = [&](const char* _pszCall) {
        const auto vecLog = tvr::ReadProbeLog(m_strLog);
        return std::count_if(vecLog.begin(), vecLog.end(),
                             [&](const tvr::ProbeCall& _call) { return IsFromProbe(_call, "PluginProbeB", _pszCall); });
    };
    EXPECT_EQ(1, countCalls("BeforeClose"));
    const auto iAfterLoads = countCalls("AfterLoad");
    // The session goes on: every plug-in is told by a second after-load call.
    SendMessageTimeoutW(m_hWnd, WM_ENDSESSION, FALSE, 0, SMTO_NORMAL, 10000, &dwResult);
    EXPECT_TRUE(tvr::WaitUntil([&] { return countCalls("AfterLoad") == iAfterLoads + 1; }, ANSWER_MS));
    ExpectServingAndOrderlyEnd();
    EXPECT_EQ(2, countCalls("BeforeClose"));
}

TEST_F(HostileInputTest, EmptyPluginRemoveUnloadsNothing)
{
    ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginSearch", L"PluginProbeC.DLL", m_Folder.Child(L"probe.log"), {}));
    StartHost();
    for (const wchar_t* pszArg : {L"", L".DLL", L".dll"})
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"PLUGINREMOVE"}, {L"Arg", pszArg}}));
    // Every probe, the search list's among them, must still be loaded and answer: a
    // removal would have unloaded the first search module, whose path contains ".DLL".
    Sync();
    SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_CALLEVENT, {{L"Event", L"still"}}));
    ASSERT_TRUE(tvr::WaitUntil(
        [&] {
            const auto vecLog = tvr::ReadProbeLog(m_strLog);
            return std::count_if(vecLog.begin(), vecLog.end(), [](const tvr::ProbeCall& _call) {
                       return _call.strType == "44" && _call.Field("Event") == "still";
                   }) == 3;
        },
        ANSWER_MS));
    ExpectServingAndOrderlyEnd();
}

TEST_F(HostileInputTest, StrayNumbersAndForeignPointersInEveryPointerMessageAreSurvived)
{
    StartHost();
    // System code at the same address in the host: ExitProcess would end it.
    const LPARAM lExit = reinterpret_cast<LPARAM>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ExitProcess"));
    const LPARAM alPointers[] = {1,
                                 0x12345678,
                                 static_cast<LPARAM>(0xDEADBEEF),
                                 -16,
                                 -1,
                                 lExit,
                                 reinterpret_cast<LPARAM>(L"only valid in the test process")};
    for (LPARAM lPointer : alPointers)
    {
        for (UINT uMsg : {WM_QEL_TRACE, WM_QEL_SCHEME, WM_QEL_CALLFUNCTION})
            SendMessageTimeoutW(m_hWnd, uMsg, 0, lPointer, SMTO_NORMAL, ANSWER_MS, nullptr);
        for (UINT uType : {QEL_BUSMSG_STATUS, QEL_BUSMSG_LASTERROR})
            SendMessageTimeoutW(m_hWnd, WM_QEL_BUS, uType, lPointer, SMTO_NORMAL, ANSWER_MS, nullptr);
        ASSERT_NO_FATAL_FAILURE(ExpectAlive());
    }
    for (const wchar_t* pszWindow : {L"0", L"12345", L"-1", L"99999999999999"})
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_SETICON, {{L"Window", pszWindow}}));
    // A scheme record that cannot be read changes nothing: no scheme change reaches the plug-ins.
    Sync();
    EXPECT_TRUE(Received(QEL_BUSMSG_SCHEME).empty());
    ExpectServingAndOrderlyEnd();
}
