// Building records: exact texts and the capacity cuts.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "TelvarinPlugin.h"

namespace {

const std::wstring HEADER = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<data>\r\n";
const std::wstring FOOTER = L" <value keyword=\"Sender\">Unknown</value>\r\n</data>\r\n";

std::wstring BuildTypeOnly(UINT _uType, size_t _cchCapacity)
{
    std::vector<wchar_t> vecBuffer(_cchCapacity, L'#');
    BusRecordBegin(vecBuffer.data(), vecBuffer.size());
    BusRecordAppend(vecBuffer.data(), vecBuffer.size(), BUS_FIELD_TYPE, _uType);
    BusRecordEnd(vecBuffer.data(), vecBuffer.size());
    return vecBuffer.data();
}

} // namespace

TEST(BusRecordText, TypeOnlyRecordIsHeaderTypeSenderAndClose)
{
    EXPECT_EQ(HEADER + L" <value keyword=\"Type\">4294967295</value>\r\n" + FOOTER,
              BuildTypeOnly(0xFFFFFFFFu, BUS_RECORD_CAPACITY));
}

TEST(BusRecordText, FieldsFollowInOrderWithWideTextsVerbatim)
{
    wchar_t szBuffer[BUS_RECORD_CAPACITY];
    BusRecordBegin(szBuffer, BUS_RECORD_CAPACITY);
    BusRecordAppend(szBuffer, BUS_RECORD_CAPACITY, BUS_FIELD_TYPE, 4u);
    BusRecordAppend(szBuffer, BUS_RECORD_CAPACITY, L" <value keyword=\"%s\">%s</value>\r\n", L"Text", L"a<b & \"c\" \x20AC");
    BusRecordAppend(szBuffer, BUS_RECORD_CAPACITY, L" <value keyword=\"Thread\">%d</value>\r\n", -5);
    BusRecordEnd(szBuffer, BUS_RECORD_CAPACITY);
    EXPECT_EQ(HEADER + L" <value keyword=\"Type\">4</value>\r\n" +
                  L" <value keyword=\"Text\">a<b & \"c\" \x20AC</value>\r\n" +
                  L" <value keyword=\"Thread\">-5</value>\r\n" + FOOTER,
              std::wstring(szBuffer));
}

TEST(BusRecordText, BeginReplacesEarlierContent)
{
    wchar_t szBuffer[BUS_RECORD_CAPACITY_SMALL] = L"old text";
    BusRecordBegin(szBuffer, BUS_RECORD_CAPACITY_SMALL);
    EXPECT_EQ(HEADER, std::wstring(szBuffer));
}

TEST(BusRecordText, EveryStepCutsAtTheCapacityAndStaysTerminated)
{
    const std::wstring strFull = BuildTypeOnly(12, BUS_RECORD_CAPACITY);
    for (size_t cchCapacity : {size_t(1), size_t(10), HEADER.size(), HEADER.size() + 1, size_t(80), strFull.size()})
    {
        const std::wstring strCut = BuildTypeOnly(12, cchCapacity);
        EXPECT_EQ(strFull.substr(0, cchCapacity - 1), strCut) << cchCapacity;
    }
    EXPECT_EQ(strFull, BuildTypeOnly(12, strFull.size() + 1));
}

TEST(BusRecordText, OverlongFieldIsCutAtTheCapacity)
{
    const std::wstring strLong(20000, L'x');
    std::vector<wchar_t> vecBuffer(BUS_RECORD_CAPACITY, L'#');
    BusRecordBegin(vecBuffer.data(), vecBuffer.size());
    BusRecordAppend(vecBuffer.data(), vecBuffer.size(), L" <value keyword=\"Text\">%s</value>\r\n", strLong.c_str());
    BusRecordEnd(vecBuffer.data(), vecBuffer.size());
    const std::wstring strRecord = vecBuffer.data();
    ASSERT_EQ(size_t(BUS_RECORD_CAPACITY - 1), strRecord.size());
    const std::wstring strPrefix = HEADER + L" <value keyword=\"Text\">";
    EXPECT_EQ(strPrefix + strLong.substr(0, strRecord.size() - strPrefix.size()), strRecord);
}

TEST(BusRecordText, MemBlockIsWrittenAtPointerSize)
{
    wchar_t szBuffer[256] = L"";
    const INT_PTR iHandle = sizeof(INT_PTR) > 4 ? static_cast<INT_PTR>(0x123456789A0LL) : static_cast<INT_PTR>(-8);
    BusRecordAppendMemBlock(szBuffer, 256, reinterpret_cast<HGLOBAL>(iHandle));
    const std::wstring strExpected = sizeof(INT_PTR) > 4 ? L"1250999896480" : L"-8";
    EXPECT_EQ(L" <value keyword=\"MemBlock\">" + strExpected + L"</value>\r\n", std::wstring(szBuffer));
    EXPECT_EQ(iHandle, GetBusHandle(szBuffer, L"MemBlock"));
}
