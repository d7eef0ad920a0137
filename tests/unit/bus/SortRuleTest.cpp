#include <gtest/gtest.h>

#include <vector>

#include "bus/PluginSortRule.h"

namespace {

const int SLOTS = 32;

// A slot as the sort sees it; the tag follows the slot through every exchange.
struct STestSlot
{
    int iPluginID = 0;
    int iTag = 0;
    bool IsLoaded() const { return iPluginID != 0; }
    int GetPluginID() const { return iPluginID; }
};

// Slots holding modules with the given IDs (0 = empty slot), in slot order.
std::vector<STestSlot> SlotsWithIds(const std::vector<int>& _vecIds)
{
    std::vector<STestSlot> vecSlots(SLOTS);
    for (size_t i = 0; i < _vecIds.size(); ++i)
        vecSlots[i] = {_vecIds[i], static_cast<int>(0x1000 + i)};
    return vecSlots;
}

std::vector<int> SortedIds(std::vector<int> _vecIds, const wchar_t* _pszRule)
{
    std::vector<STestSlot> vecSlots = SlotsWithIds(_vecIds);
    SortPluginSlots(vecSlots.data(), SLOTS, _pszRule);
    std::vector<int> vecIds;
    for (size_t i = 0; i < _vecIds.size(); ++i)
        vecIds.push_back(vecSlots[i].iPluginID);
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

TEST(PluginSortRule, ExchangeMovesTheWholeSlot)
{
    std::vector<STestSlot> vecSlots = SlotsWithIds({5, 7});
    SortPluginSlots(vecSlots.data(), SLOTS, L"7;5;");
    EXPECT_EQ(vecSlots[0].iTag, 0x1001);
    EXPECT_EQ(vecSlots[1].iTag, 0x1000);
}
