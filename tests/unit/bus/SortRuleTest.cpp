#include <gtest/gtest.h>

#include <vector>

#include "bus/PluginSortRule.h"

namespace {

// Slots holding modules with the given IDs (0 = empty slot), in slot order.
std::vector<PluginSlot> SlotsWithIds(const std::vector<int>& _vecIds)
{
    std::vector<PluginSlot> vecSlots(CPluginBase::MAX_SLOTS);
    for (size_t i = 0; i < _vecIds.size(); ++i)
    {
        vecSlots[i].iPluginID = _vecIds[i];
        vecSlots[i].hModule = _vecIds[i] ? reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x1000 + i)) : nullptr;
    }
    return vecSlots;
}

std::vector<int> SortedIds(std::vector<int> _vecIds, const wchar_t* _pszRule)
{
    std::vector<PluginSlot> vecSlots = SlotsWithIds(_vecIds);
    SortPluginSlots(vecSlots.data(), CPluginBase::MAX_SLOTS, _pszRule);
    std::vector<int> vecIds;
    for (size_t i = 0; i < _vecIds.size(); ++i)
        vecIds.push_back(vecSlots[i].hModule ? vecSlots[i].iPluginID : 0);
    return vecIds;
}

} // namespace

TEST(PluginSortRule, PositionIsAPlainSubstringSearch)
{
    EXPECT_EQ(PluginSortPosition(L"7;5;", 7), 0);
    EXPECT_EQ(PluginSortPosition(L"7;5;", 5), 2);
    EXPECT_EQ(PluginSortPosition(L"12;5;2;", 2), 1);   // found inside "12;"
    EXPECT_EQ(PluginSortPosition(L"12;5;2;", 3), -1);
    EXPECT_EQ(PluginSortPosition(L"7", 7), -1);         // an ID counts only with its ";"
    EXPECT_EQ(PluginSortPosition(L"", 0), -1);
    EXPECT_EQ(PluginSortPosition(L"-4;", -4), 0);
}

TEST(PluginSortRule, OrdersByTheRule)
{
    EXPECT_EQ(SortedIds({5, 7}, L"7;5;"), (std::vector<int>{7, 5}));
    EXPECT_EQ(SortedIds({7, 5}, L"7;5;"), (std::vector<int>{7, 5}));
}

TEST(PluginSortRule, EmptyRuleKeepsTheLoadOrder)
{
    EXPECT_EQ(SortedIds({5, 7, 3, 9}, L""), (std::vector<int>{5, 7, 3, 9}));
}

TEST(PluginSortRule, ModuleMissingFromTheRuleMovesAhead)
{
    EXPECT_EQ(SortedIds({7, 5, 9}, L"7;5;"), (std::vector<int>{9, 7, 5}));
}

TEST(PluginSortRule, IdFoundInsideAnotherIdTakesThatPlace)
{
    EXPECT_EQ(SortedIds({2, 5, 12}, L"12;5;2;"), (std::vector<int>{12, 2, 5}));
    EXPECT_EQ(SortedIds({5, 2, 12}, L"12;5;2;"), (std::vector<int>{12, 2, 5}));
}

TEST(PluginSortRule, EmptySlotsStayWhereTheyAre)
{
    EXPECT_EQ(SortedIds({5, 0, 7}, L"7;5;"), (std::vector<int>{7, 0, 5}));
    EXPECT_EQ(SortedIds({5, 7, 0, 9}, L"9;7;5;"), (std::vector<int>{9, 7, 0, 5}));
}

TEST(PluginSortRule, ExchangeMovesAllFieldsOfASlot)
{
    std::vector<PluginSlot> vecSlots = SlotsWithIds({5, 7});
    vecSlots[0].iIsBeta = 1;
    vecSlots[1].iCanDisable = 1;
    const HMODULE hFirst = vecSlots[0].hModule;
    SortPluginSlots(vecSlots.data(), CPluginBase::MAX_SLOTS, L"7;5;");
    EXPECT_EQ(vecSlots[1].hModule, hFirst);
    EXPECT_EQ(vecSlots[1].iIsBeta, 1);
    EXPECT_EQ(vecSlots[0].iCanDisable, 1);
    EXPECT_EQ(vecSlots[0].iIsBeta, 0);
}
