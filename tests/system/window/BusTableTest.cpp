#include "HostWindowFixture.h"

#include "TelvarinPlugin.h"

using tvr::MakeRecord;
using tvr::SendRecordText;

namespace {

LRESULT SendBus(HWND _hWnd, UINT _uType)
{
    DWORD_PTR dwResult = 0xFFFF;
    SendMessageTimeoutW(_hWnd, WM_QEL_BUS, _uType, 0, SMTO_NORMAL, 5000, &dwResult);
    return static_cast<LRESULT>(dwResult);
}

}   // namespace

TEST_F(HostWindowTest, UnknownTypeIsOnlyDistributedAndItsResultComesBack)
{
    tvr::ProbeSettings extra;
    extra.mapReturns[QEL_BUSMSG_CALLEVENT] = 0;
    StartHost(extra);
    // The Extra list refuses type 44: the sender gets 0; another unknown type gives 1.
    EXPECT_EQ(0, SendBus(m_hWnd, QEL_BUSMSG_CALLEVENT));
    EXPECT_EQ(1, SendBus(m_hWnd, 45));
    EXPECT_TRUE(WaitForType(QEL_BUSMSG_CALLEVENT));
    EXPECT_TRUE(WaitForType(45));
}

TEST_F(HostWindowTest, ConsumedTypesStayWithTheHostAndAnswerZero)
{
    StartHost();
    const UINT auConsumed[] = {QEL_BUSMSG_MENUENABLE,    QEL_BUSMSG_HOSTCOMMAND, QEL_BUSMSG_SHOWCONFIG,
                               QEL_BUSMSG_MENUADD,       QEL_BUSMSG_SETICON,     QEL_BUSMSG_CLOSECONFIG,
                               QEL_BUSMSG_MENUITEM,      QEL_BUSMSG_MENUTEXT,    QEL_BUSMSG_LASTERROR,
                               QEL_BUSMSG_MENUSEPARATOR, QEL_BUSMSG_MENUCHECK,   QEL_BUSMSG_VERSIONINFO};
    for (UINT uType : auConsumed)
    {
        EXPECT_EQ(0, SendBus(m_hWnd, uType)) << uType;
        SendRecordText(m_hWnd, MakeRecord(uType));
    }
    Sync();
    for (UINT uType : auConsumed)
        EXPECT_TRUE(Received(uType).empty()) << uType;
}

TEST_F(HostWindowTest, ForwardedTypesWithAHostActionAnswerZeroAndReachThePlugins)
{
    StartHost();
    const UINT auForwarded[] = {QEL_BUSMSG_APPLYCONFIG, QEL_BUSMSG_APPLYHOSTCONFIG, QEL_BUSMSG_MODULECHANGED,
                                QEL_BUSMSG_MODULECHANGED2, QEL_BUSMSG_STATUS};
    for (UINT uType : auForwarded)
    {
        EXPECT_EQ(0, SendBus(m_hWnd, uType)) << uType;
        EXPECT_TRUE(WaitForType(uType)) << uType;
    }
}

TEST_F(HostWindowTest, LastErrorIsStoredVerbatim)
{
    StartHost();
    SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_LASTERROR, {{L"LastErr", L"Line %s %d failed"}}));
    Sync();
    EXPECT_EQ(L"Line %s %d failed", StatusReportValue(L"LastError", L"Error"));
}

TEST_F(HostWindowTest, StatusStatesGoToTheStatusReportAndThePlugins)
{
    StartHost();
    const std::pair<const wchar_t*, const wchar_t*> states[] = {{L"0", L"STOPPED"}, {L"1", L"STARTING"},
                                                                {L"2", L"OK"},      {L"3", L"ERROR"},
                                                                {L"4", L"PAUSED"},  {L"9", L"UNKNOWN"}};
    for (const auto& state : states)
    {
        SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_STATUS,
                                          {{L"State", state.first}, {L"Text", L"t"}, {L"Instance", L"00001234"}}));
        Sync();
        EXPECT_EQ(state.second, StatusReportValue(L"ProgramStatus", L"Status")) << state.second;
    }
    EXPECT_EQ(6u, Received(QEL_BUSMSG_STATUS).size());
}

TEST_F(HostWindowTest, DebugLevelFourEnablesTheHourlyTimerLines)
{
    StartHost();
    PostMessageW(m_hWnd, WM_TIMER, 1, 0);
    ASSERT_TRUE(WaitForTrace("Event.TIMER_DEBUGSETTINGS.Var.g_dwGlobalDebugLevel: 0"));
    EXPECT_TRUE(TraceLines("Event.TIMER_DEBUGSETTINGS.Begin").empty());

    SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_DEBUGLEVEL, {{L"Level", L"4"}}));
    ASSERT_TRUE(WaitForType(QEL_BUSMSG_DEBUGLEVEL));
    PostMessageW(m_hWnd, WM_TIMER, 1, 0);
    ASSERT_TRUE(WaitForTrace("Event.TIMER_DEBUGSETTINGS.End"));
    const auto vecBegin = TraceLines("Event.TIMER_DEBUGSETTINGS.Begin");
    ASSERT_EQ(1u, vecBegin.size());
    EXPECT_EQ("4", vecBegin[0].Field("Level"));
    EXPECT_EQ(1u, TraceLines("Event.TIMER_DEBUGSETTINGS.Var.g_dwGlobalDebugLevel: 4").size());
}

TEST_F(HostWindowTest, VersionInfoIsTracedAtLevelOne)
{
    StartHost();
    SendRecordText(m_hWnd, MakeRecord(QEL_BUSMSG_DEBUGLEVEL, {{L"Level", L"1"}}));
    SendRecordText(
        m_hWnd, MakeRecord(QEL_BUSMSG_VERSIONINFO, {{L"HighestVersion", L"2.0.0.0"}, {L"ActualVersion", L"1.0.3.0"}}));
    ASSERT_TRUE(WaitForTrace("Event.QEL_BUSMSG_VERSIONINFO.End"));
    EXPECT_EQ(1u, TraceLines("Event.QEL_BUSMSG_VERSIONINFO.Var.szHighestVersion: 2.0.0.0").size());
    EXPECT_EQ(1u, TraceLines("Event.QEL_BUSMSG_VERSIONINFO.Var.szActualVersion: 1.0.3.0").size());
}
