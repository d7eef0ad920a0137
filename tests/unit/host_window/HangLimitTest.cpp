#include <gtest/gtest.h>

#include <string>

#include "host/window/HangWatch.h"

struct SHangLimitCase
{
    const char* pszName;
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
                         testing::Values(SHangLimitCase{"MissingIsTheDefault10s", nullptr, 10000},
                                         SHangLimitCase{"EmptyIsTheDefault", L"", 10000},
                                         SHangLimitCase{"ZeroIsOff", L"0", 0},
                                         SHangLimitCase{"Seconds", L"3", 3000},
                                         SHangLimitCase{"NegativeIsTheDefault", L"-5", 10000},
                                         SHangLimitCase{"LeadingBlankIsTheDefault", L" 5", 10000},
                                         SHangLimitCase{"TrailingTextIsTheDefault", L"5s", 10000},
                                         SHangLimitCase{"HugeIsHeldToADay", L"99999999999", 86400000}),
                         [](const testing::TestParamInfo<SHangLimitCase>& _info) { return std::string(_info.param.pszName); });
