#include "PluginHostFixture.h"

#include <algorithm>

#include "TelvarinPlugin.h"

using Strings = std::vector<std::string>;

namespace {

struct RuleCase
{
    const char* pszName;   // test name suffix
    const char* pszRule;
    std::vector<std::pair<const wchar_t*, int>> vecProbes;   // file name, ID
    Strings vecExpected;                                      // after-load order
};

} // namespace

class SortRuleTest : public PluginHostTest, public ::testing::WithParamInterface<RuleCase>
{
};

TEST_P(SortRuleTest, AfterLoadFollowsTheRule)
{
    const RuleCase& c = GetParam();
    for (const auto& probe : c.vecProbes)
    {
        tvr::ProbeSettings settings;
        settings.iID = probe.second;
        AddProbe(L"PluginSearch", probe.first, settings);
    }
    WriteSortRule(c.pszRule);
    StartHost(c.vecExpected.back());
    Strings vecOrder;
    for (const std::string& strCall : Sequence({"AfterLoad"}))
        vecOrder.push_back(strCall.substr(0, strCall.find('.')));
    EXPECT_EQ(vecOrder, c.vecExpected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, SortRuleTest,
    ::testing::Values(RuleCase{"SevenThenFive", "7;5;", {{L"PluginA", 5}, {L"PluginB", 7}}, {"PluginB", "PluginA"}},
                      RuleCase{"EmptyRuleKeepsDirectoryOrder", "", {{L"PluginA", 7}, {L"PluginB", 5}}, {"PluginA", "PluginB"}},
                      RuleCase{"MissingIdMovesAhead", "7;5;", {{L"PluginA", 5}, {L"PluginB", 7}, {L"PluginC", 9}},
                               {"PluginC", "PluginB", "PluginA"}},
                      RuleCase{"SubstringSearchFindsTwoInTwelve", "12;5;2;", {{L"PluginA", 2}, {L"PluginB", 5}, {L"PluginC", 12}},
                               {"PluginC", "PluginA", "PluginB"}}),
    [](const ::testing::TestParamInfo<RuleCase>& _info) { return std::string(_info.param.pszName); });

TEST_F(PluginHostTest, PluginAddLoadsOnceAndLowerCaseCommandsAreIgnored)
{
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");
    // Installed after the start, so only the command loads it.
    AddProbe(L"PluginSearch", L"PluginXyz");

    PostRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"pluginadd"}, {L"Arg", L"PluginXyz"}});
    PostRecord(45);
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", 45));
    EXPECT_TRUE(Sequence({"GetPluginID"}) == Strings{"PluginTelephonyP.GetPluginID"});

    PostRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"PLUGINADD"}, {L"Arg", L"PluginXyz"}});
    PostRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"PLUGINADD"}, {L"Arg", L"PluginXyz"}});
    PostRecord(46);
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", 46));
    // Loaded under the upper-cased name, once, without an after-load call.
    EXPECT_EQ(Sequence({"GetPluginID", "AfterLoad"}),
              (Strings{"PluginTelephonyP.GetPluginID", "PluginTelephonyP.AfterLoad", "PLUGINXYZ.GetPluginID"}));
    EXPECT_EQ(BusCalls(46).size(), 2u);

    PostRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"PLUGINREMOVE"}, {L"Arg", L"PluginXyz"}});
    PostRecord(49);
    ASSERT_TRUE(WaitForBus("PluginTelephonyP", 49));
    EXPECT_EQ(BusCalls(49).size(), 1u);
}

TEST_F(PluginHostTest, ReloadCommandReloadsTheSearchList)
{
    AddProbe(L"PluginSearch", L"PluginSearchP");
    AddProbe(L"PluginTelephony", L"PluginTelephonyP");
    StartHost("PluginTelephonyP");

    PostRecord(QEL_BUSMSG_HOSTCOMMAND, {{L"CMD", L"LOADALLSEARCHMODULES"}});
    ASSERT_TRUE(tvr::WaitUntil([this] {
        const Strings vecAfterLoads = Sequence({"AfterLoad"});
        return std::count(vecAfterLoads.begin(), vecAfterLoads.end(), "PluginSearchP.AfterLoad") == 2;
    }, 5000));
    const Strings vecSequence = Sequence({"BeforeClose", "GetPluginID", "AfterLoad"});
    const Strings vecTail(vecSequence.end() - 3, vecSequence.end());
    EXPECT_EQ(vecTail, (Strings{"PluginSearchP.BeforeClose", "PluginSearchP.GetPluginID", "PluginSearchP.AfterLoad"}));
}
