// Delivery of records as message 1151 and the ownership of their blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "CaptureWindow.h"
#include "TelvarinPlugin.h"
#include "bus/BusBlockRegistry.h"
#include "bus/BusRecord.h"
#include "bus/RecordBlockReserve.h"

namespace {

// Busy blocks of exactly this size in the process heap.
int CountHeapBlocks(SIZE_T _cbSize)
{
    HANDLE hHeap = GetProcessHeap();
    int iCount = 0;
    PROCESS_HEAP_ENTRY entry = {};
    HeapLock(hHeap);
    while (HeapWalk(hHeap, &entry))
    {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && entry.cbData == _cbSize)
            ++iCount;
    }
    HeapUnlock(hHeap);
    return iCount;
}

const SIZE_T MIN_BLOCK_BYTES = (16384 + 2) * sizeof(wchar_t);

std::wstring TypeOnlyRecord(UINT _uType)
{
    return std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">" + std::to_wstring(_uType) + L"</value>\r\n" +
           BUS_RECORD_FOOTER;
}

HGLOBAL AllocText(const std::wstring& _strText, SIZE_T _cchBlock, UINT _uFlags = GMEM_FIXED | GMEM_ZEROINIT)
{
    HGLOBAL hBlock = GlobalAlloc(_uFlags, _cchBlock * sizeof(wchar_t));
    if (hBlock)
        memcpy(hBlock, _strText.c_str(), std::min<SIZE_T>(_strText.size() + 1, _cchBlock) * sizeof(wchar_t));
    return hBlock;
}

bool IsLiveHeapBlock(HANDLE _hHeap, const void* _pBlock)
{
    return HeapValidate(_hHeap, 0, _pBlock) != FALSE;
}

}   // namespace

TEST(BusTransport, BlocksHoldAtLeast16384PlusTwoCharacters)
{
    tvr::CCaptureWindow sink;
    ASSERT_NE(nullptr, sink.Handle());
    const std::wstring strShort = L"<abcdefgh>";
    const std::wstring strLong = L"<" + std::wstring(19999, L'x');
    EXPECT_EQ(1, PostBusRecord(sink.Handle(), FALSE, 77, strShort.c_str()));
    EXPECT_EQ(1, PostBusRecord(sink.Handle(), FALSE, 78, strLong.c_str()));
    sink.Pump();
    ASSERT_EQ(2u, sink.Sent().size());
    EXPECT_EQ(77u, sink.Sent()[0].wParam);
    EXPECT_EQ(MIN_BLOCK_BYTES, sink.Sent()[0].cbBlock);
    EXPECT_EQ(strShort, sink.Sent()[0].strText);
    EXPECT_EQ(78u, sink.Sent()[1].wParam);
    EXPECT_EQ(20002u * sizeof(wchar_t), sink.Sent()[1].cbBlock);
    EXPECT_EQ(strLong, sink.Sent()[1].strText);
}

TEST(BusTransport, SynchronousSendReturnsTheWindowResult)
{
    tvr::CCaptureWindow sink;
    sink.SetBusResult(5);
    EXPECT_EQ(5, SendBusType(sink.Handle(), TRUE, QEL_BUSMSG_TRAYDBLCLICK));
    ASSERT_EQ(1u, sink.Sent().size());
    EXPECT_EQ(TypeOnlyRecord(QEL_BUSMSG_TRAYDBLCLICK), sink.Sent()[0].strText);
    EXPECT_EQ(5, PostMenuCommandRecord(sink.Handle(), TRUE, 2001, 0));
    EXPECT_EQ(1, PostMenuCommandRecord(sink.Handle(), FALSE, 2002, 0));
    sink.Pump();
    ASSERT_EQ(3u, sink.Sent().size());
    EXPECT_STREQ(L"2002", GetBusValue(sink.Sent()[2].strText.c_str(), L"WParam"));
}

TEST(BusTransport, DeadOrMissingWindowGetsNothingAndNothingIsAllocated)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    DestroyWindow(hWnd);
    const int iBefore = CountHeapBlocks(MIN_BLOCK_BYTES);
    EXPECT_EQ(0, PostBusRecord(hWnd, TRUE, 4, L"<x>"));
    EXPECT_EQ(0, PostBusRecord(hWnd, FALSE, 4, L"<x>"));
    EXPECT_EQ(0, PostBusRecord(nullptr, FALSE, 4, L"<x>"));
    EXPECT_EQ(0, SendBusType(hWnd, TRUE, 2));
    EXPECT_EQ(0, PostMenuCommandRecord(hWnd, TRUE, 1, 0));
    PostTraceRecord(hWnd, 1, L"gone", 1);
    EXPECT_EQ(iBefore, CountHeapBlocks(MIN_BLOCK_BYTES));
}

TEST(BusTransport, UnreadableRecordIsNotSent)
{
    tvr::CCaptureWindow sink;
    EXPECT_EQ(0, PostBusRecord(sink.Handle(), FALSE, 4, reinterpret_cast<const wchar_t*>(0x10)));
    EXPECT_EQ(0, PostBusRecord(sink.Handle(), TRUE, 4, nullptr));
    sink.Pump();
    EXPECT_TRUE(sink.Sent().empty());
}

TEST(BusTransport, FailedPostFreesTheBlockAndReturnsZero)
{
    // A post fails for real when its window is gone; the block was nobody's then.
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    DestroyWindow(hWnd);
    const BOOL bPosted = PostMessageW(hWnd, WM_QEL_BUS, 4, 0);
    ASSERT_FALSE(bPosted);
    HGLOBAL hBlock = AllocText(TypeOnlyRecord(4), 16386);
    const LPARAM lBlock = reinterpret_cast<LPARAM>(hBlock);
    BusBlocks().AddPending(lBlock, 4, CBusBlockRegistry::EOrigin::Host);
    EXPECT_EQ(0, SettlePost(bPosted, hBlock));
    EXPECT_FALSE(IsLiveHeapBlock(GetProcessHeap(), hBlock));
    EXPECT_FALSE(BusBlocks().IsKnown(lBlock));
}

TEST(BusTransport, HostSendersWriteTheirFieldsInCatalogueOrder)
{
    tvr::CCaptureWindow sink;
    PostTraceRecord(sink.Handle(), 2, L"Func.X.Begin", 77);
    PostPluginInitiatedRecord(sink.Handle(), 4711, 0);
    PostSchemeRecord(sink.Handle(), 1, L"Tahoma", nullptr);
    PostLastErrorRecord(sink.Handle(), L"E1");
    PostVersionInfoRecord(sink.Handle(), L"2.0", L"1.0");
    sink.Pump();
    ASSERT_EQ(5u, sink.Sent().size());
    const std::wstring strHeader = BUS_RECORD_HEADER;
    const std::wstring strFooter = BUS_RECORD_FOOTER;
    auto expect = [&](size_t _uIndex, UINT _uType, const std::wstring& _strFields) {
        EXPECT_EQ(_uType, sink.Sent()[_uIndex].wParam);
        EXPECT_EQ(strHeader + L" <value keyword=\"Type\">" + std::to_wstring(_uType) + L"</value>\r\n" + _strFields +
                      strFooter,
                  sink.Sent()[_uIndex].strText);
    };
    expect(0, 4,
           L" <value keyword=\"Level\">2</value>\r\n <value keyword=\"Text\">Func.X.Begin</value>\r\n"
           L" <value keyword=\"Thread\">77</value>\r\n");
    expect(1, 33, L" <value keyword=\"PluginID\">4711</value>\r\n <value keyword=\"PluginInitiated\">0</value>\r\n");
    expect(2, 76,
           L" <value keyword=\"SchemeIndex\">1</value>\r\n <value keyword=\"UsedFont\">Tahoma</value>\r\n"
           L" <value keyword=\"UsedLanguage\"></value>\r\n");
    expect(3, 66, L" <value keyword=\"LastErr\">E1</value>\r\n");
    expect(4, 82,
           L" <value keyword=\"HighestVersion\">2.0</value>\r\n <value keyword=\"ActualVersion\">1.0</value>\r\n");
}

TEST(BusSetText, RecordTextBecomesAMessageWithACopyOfAtMost16383Characters)
{
    tvr::CCaptureWindow sink;
    const std::wstring strRecord =
        std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">12</value>\r\n" + std::wstring(20000, L'y');
    EXPECT_TRUE(ForwardSetTextRecord(sink.Handle(), 0, strRecord.c_str()));
    EXPECT_TRUE(sink.Sent().empty());
    sink.Pump();
    ASSERT_EQ(1u, sink.Sent().size());
    EXPECT_EQ(12u, sink.Sent()[0].wParam);
    EXPECT_EQ(16384u * sizeof(wchar_t), sink.Sent()[0].cbBlock);
    EXPECT_EQ(strRecord.substr(0, 16383), sink.Sent()[0].strText);

    const std::wstring strShort = TypeOnlyRecord(9);
    EXPECT_TRUE(ForwardSetTextRecord(sink.Handle(), 1, strShort.c_str()));
    ASSERT_EQ(2u, sink.Sent().size());
    EXPECT_EQ(9u, sink.Sent()[1].wParam);
    EXPECT_EQ(strShort, sink.Sent()[1].strText);
}

TEST(BusSetText, OtherTextsAreIgnored)
{
    tvr::CCaptureWindow sink;
    EXPECT_FALSE(ForwardSetTextRecord(sink.Handle(), 1, L"plain title"));
    EXPECT_FALSE(ForwardSetTextRecord(sink.Handle(), 1, L""));
    EXPECT_FALSE(ForwardSetTextRecord(sink.Handle(), 1, nullptr));
    EXPECT_FALSE(ForwardSetTextRecord(sink.Handle(), 1, reinterpret_cast<const wchar_t*>(0x10)));
    sink.Pump();
    EXPECT_TRUE(sink.Sent().empty());
}

TEST(BusTransport, PostsBeyondTheWaitingCapAreRefusedCountedAndFreed)
{
    tvr::CCaptureWindow sink;
    BusBlocks().TakeRefusedPosts();
    const size_t uBefore = BusBlocks().WaitingCount();
    const LPARAM lFake = 0x7000;   // entries only: the account never reads them
    for (size_t i = uBefore; i < CBusBlockRegistry::MAX_WAITING; ++i)
        ASSERT_TRUE(BusBlocks().AddPosted(lFake + i * 16, 1, CBusBlockRegistry::EOrigin::Host));
    EXPECT_FALSE(BusBlocks().AddPosted(lFake - 16, 1, CBusBlockRegistry::EOrigin::Host));
    // A real post is refused too: nothing reaches the window, and its block is freed.
    const int iBlocksBefore = CountHeapBlocks(MIN_BLOCK_BYTES);
    EXPECT_EQ(0, PostBusRecord(sink.Handle(), FALSE, 1, L"<refused>"));
    EXPECT_EQ(iBlocksBefore, CountHeapBlocks(MIN_BLOCK_BYTES));
    EXPECT_EQ(2u, BusBlocks().TakeRefusedPosts());
    EXPECT_EQ(0u, BusBlocks().TakeRefusedPosts());
    // A send waits for its answer, so it is never refused; taking one block makes room.
    sink.SetBusResult(7);
    EXPECT_EQ(7, PostBusRecord(sink.Handle(), TRUE, 5, L"<sent>"));
    ASSERT_EQ(1u, sink.Sent().size());
    EXPECT_EQ(EBlockVerdict::Taken, BusBlocks().Accept(sink.Sent()[0].lParam, 5));
    EXPECT_EQ(CBusBlockRegistry::MAX_WAITING, BusBlocks().WaitingCount());
    EXPECT_EQ(EBlockVerdict::Taken, BusBlocks().Accept(lFake + uBefore * 16, 1));
    EXPECT_TRUE(BusBlocks().AddPosted(lFake - 16, 1, CBusBlockRegistry::EOrigin::Host));
    for (size_t i = uBefore; i < CBusBlockRegistry::MAX_WAITING; ++i)
        BusBlocks().Forget(lFake + i * 16);
    BusBlocks().Forget(lFake - 16);
    EXPECT_EQ(uBefore, BusBlocks().WaitingCount());
    std::wstring strRecord;
    EXPECT_FALSE(sink.TakeRecord(1, &strRecord));
}

TEST(BusTransport, ReservedBlocksAreZeroFilledAndCarryTheNextPostsUntilUsedUp)
{
    tvr::CCaptureWindow sink;
    const int iBefore = CountHeapBlocks(MIN_BLOCK_BYTES);
    ReserveRecordBlocks(3);
    EXPECT_EQ(iBefore + 3, CountHeapBlocks(MIN_BLOCK_BYTES));
    HGLOBAL hTaken = TakeReservedRecordBlock();
    ASSERT_NE(nullptr, hTaken);
    const std::vector<char> vecZero(MIN_BLOCK_BYTES, 0);
    EXPECT_EQ(MIN_BLOCK_BYTES, GlobalSize(hTaken));
    EXPECT_EQ(0, memcmp(hTaken, vecZero.data(), MIN_BLOCK_BYTES));
    GlobalFree(hTaken);
    const std::wstring strRecord = L"<abcdefgh>";
    EXPECT_EQ(1, PostBusRecord(sink.Handle(), FALSE, 77, strRecord.c_str()));
    EXPECT_EQ(1u, ReservedRecordBlocks());
    ReleaseRecordBlocks();
    EXPECT_EQ(0u, ReservedRecordBlocks());
    EXPECT_EQ(iBefore + 1, CountHeapBlocks(MIN_BLOCK_BYTES));   // the posted one waits in the queue
    sink.Pump();
    ASSERT_EQ(1u, sink.Sent().size());
    EXPECT_EQ(MIN_BLOCK_BYTES, sink.Sent()[0].cbBlock);
    EXPECT_EQ(strRecord, sink.Sent()[0].strText);
}
