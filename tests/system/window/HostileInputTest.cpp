#include "HostWindowFixture.h"

#include "TelvarinPlugin.h"

// The host is another process: every pointer below is meaningless there, and a
// function address in it must never be run unless it lies in the host's own code.

TEST_F(HostWindowTest, CallFunctionRunsNoForeignAddress)
{
    StartHost();
    // System code that exists in the host at the same address: ExitProcess would end it.
    const LPARAM lExit = reinterpret_cast<LPARAM>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "ExitProcess"));
    const LPARAM alAddresses[] = {lExit, 0x12345678, reinterpret_cast<LPARAM>(&ExitProcess) + 1, 1, -1};
    for (LPARAM lAddress : alAddresses)
    {
        SendMessageTimeoutW(m_hWnd, WM_QEL_CALLFUNCTION, 0, lAddress, SMTO_NORMAL, 5000, nullptr);
        ExpectAlive();
    }
}

TEST_F(HostWindowTest, BogusPointersInTraceSchemeAndBusMessagesAreSurvived)
{
    StartHost();
    const LPARAM alPointers[] = {1, 0x12345678, static_cast<LPARAM>(0xDEADBEEF), -16,
                                 reinterpret_cast<LPARAM>(L"only valid in the test process")};
    for (LPARAM lPointer : alPointers)
    {
        SendMessageTimeoutW(m_hWnd, WM_QEL_TRACE, 0, lPointer, SMTO_NORMAL, 5000, nullptr);
        SendMessageTimeoutW(m_hWnd, WM_QEL_SCHEME, 0, lPointer, SMTO_NORMAL, 5000, nullptr);
        SendMessageTimeoutW(m_hWnd, WM_QEL_BUS, QEL_BUSMSG_STATUS, lPointer, SMTO_NORMAL, 5000, nullptr);
        SendMessageTimeoutW(m_hWnd, WM_QEL_BUS, QEL_BUSMSG_LASTERROR, lPointer, SMTO_NORMAL, 5000, nullptr);
        ExpectAlive();
    }
    // An unreadable scheme record reads as empty values.
    ASSERT_TRUE(WaitForType(QEL_BUSMSG_SCHEME));
    EXPECT_EQ("0", Received(QEL_BUSMSG_SCHEME)[0].Field("SchemeIndex"));
}

TEST_F(HostWindowTest, SetIconForAStrangeWindowValue)
{
    StartHost();
    for (const wchar_t* pszWindow : {L"0", L"12345", L"-1", L"99999999999999"})
        tvr::SendRecordText(m_hWnd, tvr::MakeRecord(QEL_BUSMSG_SETICON, {{L"Window", pszWindow}}));
    ExpectAlive();
}
