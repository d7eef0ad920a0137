// Probing memory before reading it, and reading a record from a pointer nobody vouches for:
// checked first, so an unreadable or unterminated text reads as an empty record.
#include <gtest/gtest.h>

#include <string>

#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"

namespace {

const std::wstring RECORD = std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">4</value>\r\n" +
                            L" <value keyword=\"Text\">guarded</value>\r\n" + BUS_RECORD_FOOTER;

// Two pages: the first readable, the second PAGE_NOACCESS.
class CGuardedPages
{
public:
    CGuardedPages()
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_cbPage = info.dwPageSize;
        m_pBase = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * m_cbPage, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
        DWORD dwOld = 0;
        if (m_pBase)
            VirtualProtect(m_pBase + m_cbPage, m_cbPage, PAGE_NOACCESS, &dwOld);
    }
    ~CGuardedPages() { VirtualFree(m_pBase, 0, MEM_RELEASE); }
    // Places the text so that its last character (terminator or not) ends the readable page.
    const wchar_t* PlaceAtEnd(const std::wstring& _strText, bool _bTerminated)
    {
        const size_t cch = _strText.size() + (_bTerminated ? 1 : 0);
        wchar_t* pszText = reinterpret_cast<wchar_t*>(m_pBase + m_cbPage) - cch;
        memcpy(pszText, _strText.c_str(), cch * sizeof(wchar_t));
        return pszText;
    }
    const BYTE* NoAccessPage() const { return m_pBase + m_cbPage; }
    DWORD PageSize() const { return m_cbPage; }
    bool IsValid() const { return m_pBase != nullptr; }

private:
    BYTE* m_pBase = nullptr;
    DWORD m_cbPage = 0;
};

} // namespace

TEST(MemoryProbe, UnreadablePointersGiveEmptyWithoutFaulting)
{
    for (UINT_PTR uBogus : {UINT_PTR(1), UINT_PTR(0x10), UINT_PTR(0xDEADBEEF), UINT_PTR(0x12345678), ~UINT_PTR(0)})
    {
        const wchar_t* pszRecord = ReadableTextOrEmpty(reinterpret_cast<const wchar_t*>(uBogus));
        EXPECT_STREQ(L"", GetBusValue(pszRecord, L"Type")) << uBogus;
        EXPECT_EQ(0, GetBusNumber(pszRecord, L"Type")) << uBogus;
    }
    EXPECT_STREQ(L"", ReadableTextOrEmpty(nullptr));
    void* pReserved = VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, pReserved);
    EXPECT_STREQ(L"", GetBusValue(ReadableTextOrEmpty(static_cast<const wchar_t*>(pReserved)), L"Type"));
    VirtualFree(pReserved, 0, MEM_RELEASE);
}

TEST(MemoryProbe, TextRunningIntoANoAccessPageIsAnEmptyRecord)
{
    CGuardedPages pages;
    ASSERT_TRUE(pages.IsValid());
    EXPECT_STREQ(L"guarded", GetBusValue(ReadableTextOrEmpty(pages.PlaceAtEnd(RECORD, true)), L"Text"));
    EXPECT_STREQ(L"", GetBusValue(ReadableTextOrEmpty(pages.PlaceAtEnd(RECORD, false)), L"Text"));
    EXPECT_EQ(-1, GetBusTextLength(pages.PlaceAtEnd(RECORD, false)));
    const wchar_t* pszOdd = reinterpret_cast<const wchar_t*>(reinterpret_cast<const BYTE*>(pages.PlaceAtEnd(L"ab", false)) - 1);
    EXPECT_EQ(-1, GetBusTextLength(pszOdd));   // the last character straddles into the guarded page
    // A block's record is read only within the block, even where readable memory goes on.
    const wchar_t* pszPlaced = pages.PlaceAtEnd(RECORD, true);
    EXPECT_STREQ(L"", ReadableTextOrEmpty(pszPlaced, RECORD.size()));
    EXPECT_EQ(pszPlaced, ReadableTextOrEmpty(pszPlaced, RECORD.size() + 1));
}

TEST(MemoryProbe, TextLengthStopsAtTheGivenBound)
{
    EXPECT_EQ(5, GetBusTextLength(L"hello"));
    EXPECT_EQ(5, GetBusTextLength(L"hello", 6));
    EXPECT_EQ(-1, GetBusTextLength(L"hello", 5));
    EXPECT_EQ(0, GetBusTextLength(L""));
}

TEST(MemoryProbe, RangesAreReadableOnlyUpToTheFirstUnreadableByte)
{
    CGuardedPages pages;
    ASSERT_TRUE(pages.IsValid());
    const BYTE* pLastReadable = pages.NoAccessPage() - 1;
    EXPECT_TRUE(IsBusMemoryReadable(pLastReadable - 15, 16));
    EXPECT_FALSE(IsBusMemoryReadable(pLastReadable - 15, 17));
    EXPECT_FALSE(IsBusMemoryReadable(pages.NoAccessPage(), 1));
    EXPECT_EQ(pages.NoAccessPage(), GetReadableRegionEnd(pLastReadable - pages.PageSize() + 1));
    EXPECT_EQ(nullptr, GetReadableRegionEnd(pages.NoAccessPage()));
    // A range that would wrap around the end of the address space is never readable.
    EXPECT_FALSE(IsBusMemoryReadable(pLastReadable, ~size_t(0)));
    EXPECT_FALSE(IsBusMemoryReadable(pLastReadable, ~reinterpret_cast<size_t>(pLastReadable) + 2));
}
