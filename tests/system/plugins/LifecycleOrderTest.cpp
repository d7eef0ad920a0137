#include "PluginHostFixture.h"

#include "TelvarinPlugin.h"

using Strings = std::vector<std::string>;

namespace {

Strings Calls(const std::vector<const wchar_t*>& _vecCategories, const std::string& _strCall)
{
    Strings vecCalls;
    for (const wchar_t* pszCategory : _vecCategories)
        vecCalls.push_back(ProbeNameOf(pszCategory) + "." + _strCall);
    return vecCalls;
}

const std::vector<const wchar_t*> CLOSE_ORDER = {L"PluginSearch", L"PluginSave",      L"PluginInfo",
                                                 L"PluginExtra",  L"PluginTelephony", L"PluginDebug"};

} // namespace

TEST_F(PluginHostTest, StartLoadsEveryListThenAfterLoadsDebugFirst)
{
    AddProbePerList();
    StartHost("PluginTelephonyP");

    const Strings vecLoads = Calls({LOAD_ORDER, LOAD_ORDER + 6}, "GetPluginID");
    Strings vecExpected = vecLoads;
    vecExpected.push_back("PluginDebugP.AfterLoad");
    const Strings vecRest = Calls({L"PluginSearch", L"PluginSave", L"PluginInfo", L"PluginExtra", L"PluginTelephony"},
                                  "AfterLoad");
    vecExpected.insert(vecExpected.end(), vecRest.begin(), vecRest.end());
    EXPECT_EQ(Sequence({"GetPluginID", "AfterLoad"}), vecExpected);
}

TEST_F(PluginHostTest, ModuleReportReachesTheDebugList)
{
    tvr::ProbeSettings settings;
    settings.iIsUnicode = 0;
    settings.strName = L"Ansi probe";
    AddProbe(L"PluginSearch", L"PluginAnsi", settings);
    AddProbe(L"PluginDebug", L"PluginDebugP");
    StartHost("PluginAnsi");

    auto hasTrace = [&](const std::string& _strPart) {
        return tvr::WaitForProbeCall(m_strLog, [&](const tvr::ProbeCall& _call) {
            return _call.strModule == "PluginDebugP" && _call.strType == "4" &&
                   _call.Field("Text").find(_strPart) != std::string::npos;
        }, 5000);
    };
    const std::string strPath = tvr::WideToUtf8(m_Folder.Child(L"PluginSearch\\PluginAnsi.DLL"));
    EXPECT_TRUE(hasTrace("Func.PrintFileInfos.Info.Module: " + strPath + ";"));
    EXPECT_TRUE(hasTrace("Func.PrintFileInfos.Error.UNICODE:Ansi probe"));
    EXPECT_TRUE(hasTrace("Func.PrintFileInfos.End"));
}

TEST_F(PluginHostTest, CloseCallsBeforeCloseWithDebugLast)
{
    AddProbePerList();
    StartHost("PluginTelephonyP");
    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    DWORD dwExit = 1;
    ASSERT_TRUE(m_Host.WaitForExit(10000, &dwExit));
    EXPECT_EQ(dwExit, 0u);
    EXPECT_EQ(Sequence({"BeforeClose"}), Calls(CLOSE_ORDER, "BeforeClose"));
}

TEST_F(PluginHostTest, QueryEndSessionClosesThePluginsAndDestroyClosesThemAgain)
{
    AddProbePerList();
    StartHost("PluginTelephonyP");
    DWORD_PTR dwResult = 0;
    ASSERT_NE(SendMessageTimeoutW(m_hWnd, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &dwResult), 0);
    EXPECT_NE(dwResult, 0u);   // default processing lets the session end
    EXPECT_TRUE(m_Host.IsRunning());
    EXPECT_EQ(Sequence({"BeforeClose"}), Calls(CLOSE_ORDER, "BeforeClose"));

    PostMessageW(m_hWnd, WM_CLOSE, 0, 0);
    DWORD dwExit = 1;
    ASSERT_TRUE(m_Host.WaitForExit(10000, &dwExit));
    const Strings vecOnce = Calls(CLOSE_ORDER, "BeforeClose");
    Strings vecTwice = vecOnce;
    vecTwice.insert(vecTwice.end(), vecOnce.begin(), vecOnce.end());
    EXPECT_EQ(Sequence({"BeforeClose"}), vecTwice);
}

TEST_F(PluginHostTest, SessionEndAfterTheReopenClosesThePluginsAgain)
{
    const UINT_PTR TIMER_SESSIONANSWER = 3;   // the host's stand-in for a WM_ENDSESSION that never came
    AddProbePerList();
    StartHost("PluginTelephonyP");
    DWORD_PTR dwResult = 0;
    ASSERT_NE(SendMessageTimeoutW(m_hWnd, WM_QUERYENDSESSION, 0, 0, SMTO_NORMAL, 10000, &dwResult), 0);
    // No answer within the host's wait (a person looks at the shutdown screen): its timer
    // fires, posted here as the system would, and every plug-in is reopened.
    PostMessageW(m_hWnd, WM_TIMER, TIMER_SESSIONANSWER, 0);
    ASSERT_TRUE(tvr::WaitUntil([&] { return Sequence({"AfterLoad"}).size() == 12; }, 10000));
    // The session does end: every plug-in is closed again before the process may end.
    ASSERT_NE(SendMessageTimeoutW(m_hWnd, WM_ENDSESSION, TRUE, 0, SMTO_NORMAL, 10000, &dwResult), 0);
    const Strings vecOnce = Calls(CLOSE_ORDER, "BeforeClose");
    Strings vecTwice = vecOnce;
    vecTwice.insert(vecTwice.end(), vecOnce.begin(), vecOnce.end());
    EXPECT_EQ(Sequence({"BeforeClose"}), vecTwice);
}

TEST_F(PluginHostTest, BusMessageReachesTheListsInDistributionOrder)
{
    AddProbePerList();
    StartHost("PluginTelephonyP");
    PostRecord(45, {{L"Text", L"marker"}});
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", 45));
    Strings vecModules;
    for (const tvr::ProbeCall& call : BusCalls(45))
    {
        vecModules.push_back(call.strModule);
        EXPECT_EQ(call.Field("Text"), "marker");
    }
    EXPECT_EQ(vecModules, (Strings{"PluginDebugP", "PluginExtraP", "PluginSearchP", "PluginInfoP", "PluginSaveP",
                                   "PluginTelephonyP"}));
}

TEST_F(PluginHostTest, SearchRefusalStopsOnlyLaterSearchModulesAndKeepsTheResult)
{
    tvr::ProbeSettings refusing;
    refusing.iID = 1;
    refusing.mapReturns[45] = 0;
    AddProbe(L"PluginSearch", L"PluginSearchA", refusing);
    tvr::ProbeSettings second;
    second.iID = 2;
    AddProbe(L"PluginSearch", L"PluginSearchB", second);
    AddProbe(L"PluginInfo", L"PluginInfoP");
    AddProbe(L"PluginSave", L"PluginSaveP");
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");

    EXPECT_EQ(SendBus(45), 1);
    Strings vecModules;
    for (const tvr::ProbeCall& call : BusCalls(45))
        vecModules.push_back(call.strModule);
    EXPECT_EQ(vecModules, (Strings{"PluginSearchA", "PluginInfoP", "PluginSaveP", "PluginTelephonyP"}));
}

TEST_F(PluginHostTest, ExtraRefusingTheTrayDoubleClickMakesTheResultZero)
{
    tvr::ProbeSettings refusing;
    refusing.mapReturns[QEL_BUSMSG_TRAYDBLCLICK] = 0;
    AddProbe(L"PluginExtra", L"PluginExtraP", refusing);
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");

    EXPECT_EQ(SendBus(QEL_BUSMSG_TRAYDBLCLICK), 0);
    EXPECT_TRUE(WaitForBus("PluginTelephonyP", QEL_BUSMSG_TRAYDBLCLICK));
    EXPECT_EQ(SendBus(46), 1);
}

TEST_F(PluginHostTest, MemBlockOfAPluginRecordLivesUntilTheLastList)
{
    tvr::ProbeSettings poster;
    poster.strPostOn = L"BusProcess:47";
    poster.uPostType = 48;
    poster.uPostMemBlock = 64;
    AddProbe(L"PluginDebug", L"PluginDebugP", poster);
    AddProbe(L"PluginSave", L"PluginSaveP");
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");

    PostRecord(47);
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", 48));
    const std::vector<tvr::ProbeCall> vecCalls = BusCalls(48);
    ASSERT_EQ(vecCalls.size(), 3u);
    for (const tvr::ProbeCall& call : vecCalls)
        EXPECT_EQ(call.Field("MemBlockSize"), "64") << call.strModule;
}
