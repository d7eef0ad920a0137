// Reading values: first occurrence, case, entities, cuts and numbers. Reading records from
// pointers nobody vouches for: tests/unit/base/MemoryProbeTest.cpp.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>

#include "TelvarinPlugin.h"

namespace {

std::wstring Field(const std::wstring& _strKeyword, const std::wstring& _strValue)
{
    return L" <value keyword=\"" + _strKeyword + L"\">" + _strValue + L"</value>\r\n";
}

std::wstring Record(const std::wstring& _strFields)
{
    return std::wstring(BUS_RECORD_HEADER) + Field(L"Type", L"4") + _strFields + BUS_RECORD_FOOTER;
}

} // namespace

TEST(BusValueRead, ReadsTheValueOfTheFirstOccurrence)
{
    const std::wstring strRecord = Record(Field(L"Text", L"<value keyword=\"State\">early") + Field(L"State", L"3"));
    EXPECT_STREQ(L"early", GetBusValue(strRecord.c_str(), L"State"));
    EXPECT_STREQ(L"4", GetBusValue(strRecord.c_str(), L"Type"));
    EXPECT_STREQ(L"Unknown", GetBusValue(strRecord.c_str(), L"Sender"));
}

TEST(BusValueRead, KeywordsAreCaseSensitiveAndEntitiesStayUndecoded)
{
    const std::wstring strRecord = Record(Field(L"Text", L"a &amp; b &lt;"));
    EXPECT_STREQ(L"", GetBusValue(strRecord.c_str(), L"type"));
    EXPECT_STREQ(L"a &amp; b &lt;", GetBusValue(strRecord.c_str(), L"Text"));
    EXPECT_STREQ(L"", GetBusValue(strRecord.c_str(), L"Missing"));
}

TEST(BusValueRead, MissingCloseTagOrBadArgumentsGiveEmpty)
{
    const std::wstring strRecord = std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Text\">no end";
    EXPECT_STREQ(L"", GetBusValue(strRecord.c_str(), L"Text"));
    EXPECT_STREQ(L"", GetBusValue(nullptr, L"Text"));
    EXPECT_STREQ(L"", GetBusValue(strRecord.c_str(), nullptr));
    EXPECT_EQ(0, GetBusNumber(nullptr, L"Type"));
}

TEST(BusValueRead, LongValuesAreCutAt65534Characters)
{
    const std::wstring strValue = std::wstring(65530, L'a') + L"bcdefghij";
    const std::wstring strRecord = Record(Field(L"Text", strValue));
    EXPECT_EQ(strValue.substr(0, 65534), std::wstring(GetBusValue(strRecord.c_str(), L"Text")));
    EXPECT_EQ(strValue.substr(0, 65534), std::wstring(GetBusValue2(strRecord.c_str(), L"Text")));
    const std::wstring strExact(65534, L'z');
    EXPECT_EQ(strExact, std::wstring(GetBusValue(Record(Field(L"Text", strExact)).c_str(), L"Text")));
}

TEST(BusValueRead, TheTwoReadersHoldTheirValuesApart)
{
    const std::wstring strRecord = Record(Field(L"UsedFont", L"Arial") + Field(L"UsedLanguage", L"DE"));
    const wchar_t* pszFont = GetBusValue(strRecord.c_str(), L"UsedFont");
    const wchar_t* pszLanguage = GetBusValue2(strRecord.c_str(), L"UsedLanguage");
    EXPECT_EQ(42, GetBusNumber(Record(Field(L"N", L"42")).c_str(), L"N"));   // numbers use neither buffer
    EXPECT_STREQ(L"Arial", pszFont);
    EXPECT_STREQ(L"DE", pszLanguage);
}

TEST(BusValueRead, EachThreadReadsIntoItsOwnBuffer)
{
    const std::wstring strMain = Record(Field(L"Text", L"main"));
    const wchar_t* pszMain = GetBusValue(strMain.c_str(), L"Text");
    std::wstring strOther;
    std::thread worker([&strOther] {
        strOther = GetBusValue(Record(Field(L"Text", L"worker")).c_str(), L"Text");
    });
    worker.join();
    EXPECT_EQ(L"worker", strOther);
    EXPECT_STREQ(L"main", pszMain);
}

TEST(BusValueRead, NumbersFollowWcstolBase10)
{
    const std::wstring strRecord =
        Record(Field(L"A", L"  -42abc") + Field(L"B", L"+7") + Field(L"C", L"abc") + Field(L"D", L"") +
               Field(L"E", L"0x1F") + Field(L"F", L"99999999999") + Field(L"G", L"010") +
               Field(L"H", std::wstring(100, L' ') + L"12"));
    EXPECT_EQ(-42, GetBusNumber(strRecord.c_str(), L"A"));
    EXPECT_EQ(7, GetBusNumber(strRecord.c_str(), L"B"));
    EXPECT_EQ(0, GetBusNumber(strRecord.c_str(), L"C"));
    EXPECT_EQ(0, GetBusNumber(strRecord.c_str(), L"D"));
    EXPECT_EQ(0, GetBusNumber(strRecord.c_str(), L"E"));
    EXPECT_EQ(LONG_MAX, GetBusNumber(strRecord.c_str(), L"F"));
    EXPECT_EQ(10, GetBusNumber(strRecord.c_str(), L"G"));
    EXPECT_EQ(12, GetBusNumber(strRecord.c_str(), L"H"));
    EXPECT_EQ(0, GetBusNumber(strRecord.c_str(), L"Missing"));
}
