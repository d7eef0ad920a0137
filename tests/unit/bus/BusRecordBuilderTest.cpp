// The host's record builder, which formats straight into its own buffer and posts the length
// it knows; the reading of known blocks; the probing of texts that span memory regions.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "CaptureWindow.h"
#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "bus/BusBlockRegistry.h"
#include "bus/BusRecord.h"
#include "bus/BusRecordBuilder.h"

namespace {

const wchar_t LEVEL_FIELD[] = L" <value keyword=\"Level\">%u</value>\r\n";
const wchar_t TEXT_FIELD[] = L" <value keyword=\"Text\">%s</value>\r\n";

// The same record built step by step: each line formatted alone, then appended.
std::wstring BuiltBySteps(size_t _cchCapacity, const std::wstring& _strText)
{
    std::vector<wchar_t> vecBuffer(_cchCapacity);
    BusRecordBegin(vecBuffer.data(), _cchCapacity);
    BusRecordAppend(vecBuffer.data(), _cchCapacity, BUS_FIELD_TYPE, QEL_BUSMSG_TRACE);
    BusRecordAppend(vecBuffer.data(), _cchCapacity, LEVEL_FIELD, 3u);
    BusRecordAppend(vecBuffer.data(), _cchCapacity, TEXT_FIELD, _strText.c_str());
    BusRecordEnd(vecBuffer.data(), _cchCapacity);
    return vecBuffer.data();
}

std::wstring BuiltByBuilder(size_t _cchCapacity, const std::wstring& _strText)
{
    CBusRecordBuilder record(QEL_BUSMSG_TRACE, _cchCapacity);
    record.AddField(LEVEL_FIELD, 3u);
    record.AddField(TEXT_FIELD, _strText.c_str());
    return record.Finish();
}

// Two adjacent pages that are separate memory regions: the first read-write, the second
// with the given protection.
class CTwoRegions
{
public:
    explicit CTwoRegions(DWORD _dwSecondProtection)
    {
        SYSTEM_INFO info;
        GetSystemInfo(&info);
        m_cbPage = info.dwPageSize;
        m_pbBase = static_cast<BYTE*>(VirtualAlloc(nullptr, 2 * m_cbPage, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
        DWORD dwOld = 0;
        if (m_pbBase)
            VirtualProtect(m_pbBase + m_cbPage, m_cbPage, _dwSecondProtection, &dwOld);
    }
    ~CTwoRegions()
    {
        if (m_pbBase)
            VirtualFree(m_pbBase, 0, MEM_RELEASE);
    }
    bool IsValid() const { return m_pbBase != nullptr; }
    // A text of _cchBefore characters before the region boundary and _cchAfter after it;
    // the terminator follows when _bTerminated (only where the second page is writable).
    const wchar_t* PlaceAcrossBoundary(size_t _cchBefore, size_t _cchAfter, bool _bTerminated)
    {
        wchar_t* pszText = reinterpret_cast<wchar_t*>(m_pbBase + m_cbPage) - _cchBefore;
        for (size_t i = 0; i < _cchBefore + _cchAfter; ++i)
            pszText[i] = L'a';
        if (_bTerminated)
            pszText[_cchBefore + _cchAfter] = L'\0';
        return pszText;
    }
    wchar_t* FirstPageEnd() const { return reinterpret_cast<wchar_t*>(m_pbBase + m_cbPage); }

private:
    BYTE* m_pbBase = nullptr;
    SIZE_T m_cbPage = 0;
};

}   // namespace

TEST(BusRecordBuilder, CutsEveryLineExactlyAsFormattingItAloneAndAppending)
{
    const std::wstring strText(300, L'x');
    // Room for everything, cut inside the text field, inside the footer, inside the header.
    for (size_t cchCapacity : {16383u, 2047u, 200u, 120u, 40u, 1u})
        EXPECT_EQ(BuiltBySteps(cchCapacity, strText), BuiltByBuilder(cchCapacity, strText)) << cchCapacity;
    const std::wstring strRecord = BuiltByBuilder(200, strText);
    EXPECT_EQ(199u, strRecord.size());
}

TEST(BusRecordBuilder, DeliveredRecordArrivesWhole)
{
    tvr::CCaptureWindow sink;
    ASSERT_NE(nullptr, sink.Handle());
    const std::wstring strText(5000, L'y');
    CBusRecordBuilder record(QEL_BUSMSG_TRACE, BUS_RECORD_CAPACITY);
    record.AddField(LEVEL_FIELD, 3u);
    record.AddField(TEXT_FIELD, strText.c_str());
    EXPECT_EQ(1, record.Deliver(sink.Handle(), FALSE));
    sink.Pump();
    ASSERT_EQ(1u, sink.Sent().size());
    EXPECT_EQ(QEL_BUSMSG_TRACE, sink.Sent()[0].wParam);
    EXPECT_EQ((16384u + 2u) * sizeof(wchar_t), sink.Sent()[0].cbBlock);
    EXPECT_EQ(BuiltBySteps(BUS_RECORD_CAPACITY, strText), sink.Sent()[0].strText);
    EXPECT_EQ(strText, GetBusValue(sink.Sent()[0].strText.c_str(), L"Text"));
}

TEST(BusRecordBuilder, OwnRecordOfKnownLengthGoesOutUnprobedButOnlyToALiveWindow)
{
    tvr::CCaptureWindow sink;
    const std::wstring strRecord = BuiltBySteps(BUS_RECORD_CAPACITY, L"own");
    EXPECT_EQ(1, PostOwnBusRecord(sink.Handle(), FALSE, 4, strRecord.c_str(), strRecord.size()));
    // Only the given length is copied: a longer text ends where the caller said.
    EXPECT_EQ(1, PostOwnBusRecord(sink.Handle(), FALSE, 5, strRecord.c_str(), 10));
    EXPECT_EQ(0, PostOwnBusRecord(nullptr, FALSE, 4, strRecord.c_str(), strRecord.size()));
    sink.Pump();
    ASSERT_EQ(2u, sink.Sent().size());
    EXPECT_EQ(strRecord, sink.Sent()[0].strText);
    EXPECT_EQ(strRecord.substr(0, 10), sink.Sent()[1].strText);
}

TEST(BusBlockRead, KnownBlockWithoutTerminatorReadsAsEmptyRecord)
{
    tvr::CCaptureWindow sink;
    ASSERT_EQ(1, PostBusRecord(sink.Handle(), FALSE, 44, L"<record>"));
    MSG msg;
    ASSERT_TRUE(sink.TakePosted(WM_QEL_BUS, &msg));
    CBusBlock block = CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam));
    ASSERT_EQ(msg.lParam, block.Value());
    EXPECT_STREQ(L"<record>", block.Record());
    // Whoever filled the whole block left no terminator in it: nothing past it is read.
    wchar_t* pszBlock = reinterpret_cast<wchar_t*>(msg.lParam);
    const size_t cchBlock = GlobalSize(reinterpret_cast<HGLOBAL>(msg.lParam)) / sizeof(wchar_t);
    std::fill(pszBlock, pszBlock + cchBlock, L'z');
    EXPECT_STREQ(L"", RecordOfBlock(msg.lParam));
    pszBlock[cchBlock - 1] = L'\0';
    EXPECT_EQ(cchBlock - 1, wcslen(RecordOfBlock(msg.lParam)));
    block.Release();
    EXPECT_STREQ(L"", RecordOfBlock(msg.lParam));
}

TEST(BusTextLength, TextsSpanningTwoRegionsAreMeasuredOnlyWhereBothAreReadable)
{
    // A second protection that can still be written makes a region of its own.
    CTwoRegions writable(PAGE_EXECUTE_READWRITE);
    ASSERT_TRUE(writable.IsValid());
    const wchar_t* pszAcross = writable.PlaceAcrossBoundary(100, 50, true);
    EXPECT_EQ(150, GetBusTextLength(pszAcross));
    EXPECT_EQ(150, GetBusTextLength(pszAcross, 151));
    EXPECT_EQ(-1, GetBusTextLength(pszAcross, 150));
    EXPECT_EQ(-1, GetBusTextLength(pszAcross, 120));   // the bound ends inside the second region
    // A read-only second region still reads; its zero-filled first character ends the text.
    CTwoRegions readable(PAGE_READONLY);
    ASSERT_TRUE(readable.IsValid());
    const wchar_t* pszIntoReadOnly = readable.PlaceAcrossBoundary(64, 0, false);
    EXPECT_EQ(64, GetBusTextLength(pszIntoReadOnly));

    CTwoRegions guarded(PAGE_NOACCESS);
    ASSERT_TRUE(guarded.IsValid());
    const wchar_t* pszIntoNoAccess = guarded.PlaceAcrossBoundary(64, 0, false);
    EXPECT_EQ(-1, GetBusTextLength(pszIntoNoAccess));
    EXPECT_STREQ(L"", ReadableTextOrEmpty(pszIntoNoAccess));
    guarded.FirstPageEnd()[-1] = L'\0';
    EXPECT_EQ(63, GetBusTextLength(pszIntoNoAccess));
}

TEST(BusTextLength, TerminatorIsFoundAtEveryPlaceAndAlignmentWithinTheBound)
{
    std::vector<wchar_t> vecText(64, L'a');
    for (size_t uStart = 0; uStart < 4; ++uStart)
    {
        for (size_t uZero = uStart; uZero < 40; ++uZero)
        {
            std::fill(vecText.begin(), vecText.end(), L'a');
            vecText[uZero] = L'\0';
            vecText[uZero + 1] = 0x8000;   // a high character right behind it is no terminator
            const wchar_t* pszText = vecText.data() + uStart;
            const size_t cchBefore = uZero - uStart;
            for (size_t cchMax = 0; cchMax < 44; ++cchMax)
                ASSERT_EQ(std::min(cchBefore, cchMax), BoundedTextLength(pszText, cchMax)) << uStart << " " << uZero;
        }
    }
    // Characters whose bytes hold a zero are no terminator either.
    const wchar_t szMixed[] = {0x0100, 0x00FF, 0x0001, 0xFF00, 0x8000, 0x0080, 0x7FFF, 0x0101, 0x1000, L'\0'};
    EXPECT_EQ(9u, BoundedTextLength(szMixed, 10));
}
