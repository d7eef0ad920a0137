#include <gtest/gtest.h>

#include "host/window/HangWatch.h"

struct SHangLimitCase
{
    const wchar_t* pszStored;
    DWORD dwLimitMs;
};

class HangLimit : public testing::TestWithParam<SHangLimitCase>
{
};

TEST_P(HangLimit, IsReadFromTheStoredSeconds)
{
    EXPECT_EQ(GetParam().dwLimitMs, ParseHangLimitMs(GetParam().pszStored));
}

INSTANTIATE_TEST_SUITE_P(Texts, HangLimit,
                         testing::Values(SHangLimitCase{nullptr, 10000}, SHangLimitCase{L"", 10000},
                                         SHangLimitCase{L"0", 0}, SHangLimitCase{L"3", 3000},
                                         SHangLimitCase{L"10", 10000}, SHangLimitCase{L"-5", 10000},
                                         SHangLimitCase{L" 5", 10000}, SHangLimitCase{L"5s", 10000},
                                         SHangLimitCase{L"99999999999", 86400000}));
