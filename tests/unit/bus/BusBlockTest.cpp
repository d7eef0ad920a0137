// Which blocks of message 1151 the host reads and frees: its own posted blocks and plug-in
// blocks holding a well-formed record, each once; never another live block of its heap.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HostMemory.h"
#include "TelvarinPlugin.h"
#include "bus/BusBlockRegistry.h"
#include "bus/BusRecord.h"

namespace {

const size_t BLOCK_CHARS = 16384 + 2;

std::wstring Record(UINT _uType, const std::wstring& _strFields = L"")
{
    return std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">" + std::to_wstring(_uType) +
           L"</value>\r\n" + _strFields + BUS_RECORD_FOOTER;
}

std::wstring MemBlockField(HGLOBAL _hBlock)
{
    return L" <value keyword=\"MemBlock\">" + std::to_wstring(reinterpret_cast<INT_PTR>(_hBlock)) + L"</value>\r\n";
}

// A block as a plug-in posts it: fixed, zero-filled, at least 16384 + 2 characters.
HGLOBAL PluginBlock(const std::wstring& _strText, size_t _cchBlock = BLOCK_CHARS)
{
    HGLOBAL hBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, _cchBlock * sizeof(wchar_t));
    if (hBlock)
        memcpy(hBlock, _strText.c_str(), (_strText.size() + 1) * sizeof(wchar_t));
    return hBlock;
}

LPARAM L(const void* _p)
{
    return reinterpret_cast<LPARAM>(_p);
}

bool IsLive(const void* _p)
{
    return HeapValidate(GetProcessHeap(), 0, _p) != FALSE;
}

} // namespace

TEST(BusBlock, PluginRecordIsAcceptedOnceReadAndFreedWithItsMemBlock)
{
    HGLOBAL hData = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 64);
    HGLOBAL hBlock = PluginBlock(Record(44, MemBlockField(hData)));
    ASSERT_EQ(L(hBlock), AcceptBusBlock(L(hBlock), 44));
    EXPECT_EQ(Record(44, MemBlockField(hData)), RecordOfBlock(L(hBlock)));
    // A second message naming the block while it is handled gets an empty record.
    EXPECT_EQ(0, AcceptBusBlock(L(hBlock), 44));
    ReleaseBusBlock(L(hBlock));
    EXPECT_FALSE(IsLive(hBlock));
    EXPECT_FALSE(IsLive(hData));
    // After the release the value names nothing the host knows.
    EXPECT_STREQ(L"", RecordOfBlock(L(hBlock)));
}

TEST(BusBlock, LiveHeapBlocksThatAreNoRecordOfTheTypeAreRefusedAndKept)
{
    std::vector<wchar_t> vecRecordCopy(BLOCK_CHARS);
    const std::wstring strRecord = Record(44);
    std::copy(strRecord.begin(), strRecord.end(), vecRecordCopy.begin());
    auto pText = std::make_unique<wchar_t[]>(64);
    wcscpy(pText.get(), L"<heap text>");
    HGLOBAL hWrongType = PluginBlock(Record(45));
    HGLOBAL hSmall = PluginBlock(Record(44), 4096);
    HGLOBAL hNoFooter = PluginBlock(std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">44</value>\r\n");
    HGLOBAL hDirtyTail = PluginBlock(Record(44));
    static_cast<wchar_t*>(hDirtyTail)[BLOCK_CHARS - 1] = L'x';
    HGLOBAL hPlain = PluginBlock(L"plain text");
    HGLOBAL hFreed = PluginBlock(Record(44));
    GlobalFree(hFreed);
    HMODULE hExe = GetModuleHandleW(nullptr);
    const LPARAM alCandidates[] = {L(vecRecordCopy.data()), L(pText.get()), L(hWrongType), L(hSmall),
                                   L(hNoFooter), L(hDirtyTail), L(hPlain), L(hFreed),
                                   L(hWrongType) + 16, L(hExe), reinterpret_cast<LPARAM>(&IsLive), 1, -1, 0x12345678};
    for (LPARAM lCandidate : alCandidates)
    {
        EXPECT_EQ(0, AcceptBusBlock(lCandidate, 44)) << lCandidate;
        ReleaseBusBlock(lCandidate);
    }
    for (HGLOBAL hKept : {hWrongType, hSmall, hNoFooter, hDirtyTail, hPlain})
    {
        EXPECT_TRUE(IsLive(hKept));
        GlobalFree(hKept);
    }
    EXPECT_EQ(strRecord, vecRecordCopy.data());
}

TEST(BusBlock, HostBlocksAreTakenOnceAndForeignTextNeverFreesItsMemBlock)
{
    HGLOBAL hData = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 64);
    // A record that arrived as window text: its MemBlock names the sender's memory.
    HGLOBAL hText = PluginBlock(Record(44, MemBlockField(hData)), 16384);
    BusBlocks().AddPending(L(hText), CBusBlockRegistry::EOrigin::ForeignText);
    ASSERT_EQ(L(hText), AcceptBusBlock(L(hText), 44));
    EXPECT_EQ(0, AcceptBusBlock(L(hText), 44));
    ReleaseBusBlock(L(hText));
    EXPECT_FALSE(IsLive(hText));
    EXPECT_TRUE(IsLive(hData));

    // A host block needs no record shape, but a MemBlock that is another record on its
    // way is not this message's to free.
    HGLOBAL hOther = PluginBlock(Record(4), 16384);
    BusBlocks().AddPending(L(hOther), CBusBlockRegistry::EOrigin::Host);
    HGLOBAL hHost = PluginBlock(L"<host>" + MemBlockField(hOther) + L"</value>", 64);
    BusBlocks().AddPending(L(hHost), CBusBlockRegistry::EOrigin::Host);
    ASSERT_EQ(L(hHost), AcceptBusBlock(L(hHost), 7));
    ReleaseBusBlock(L(hHost));
    EXPECT_FALSE(IsLive(hHost));
    EXPECT_TRUE(IsLive(hOther));
    EXPECT_TRUE(BusBlocks().IsKnown(L(hOther)));
    ReleaseBusBlock(L(hOther));
    EXPECT_FALSE(IsLive(hOther));
    GlobalFree(hData);
}

TEST(BusBlock, PostedBlocksOfThisProcessArePendingUntilHandled)
{
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    const size_t uBefore = BusBlocks().PendingCount();
    ASSERT_EQ(1, PostBusRecord(hWnd, FALSE, 4, L"<any text>"));
    MSG msg = {};
    ASSERT_TRUE(PeekMessageW(&msg, hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE));
    EXPECT_EQ(uBefore + 1, BusBlocks().PendingCount());
    EXPECT_TRUE(BusBlocks().IsKnown(msg.lParam));
    ASSERT_EQ(msg.lParam, AcceptBusBlock(msg.lParam, 4));
    EXPECT_STREQ(L"<any text>", RecordOfBlock(msg.lParam));
    ReleaseBusBlock(msg.lParam);
    EXPECT_EQ(uBefore, BusBlocks().PendingCount());
    DestroyWindow(hWnd);
}

TEST(BusBlock, GuessesOverThisProcesssHeapAreRefusedWithoutFault)
{
    // Values an attacker would post: pointers found in the heap, and their neighbours.
    std::vector<LPARAM> vecGuesses;
    for (LPARAM lBlock : tvr::HeapBlockAddresses(GetCurrentProcess(), 20000))
        for (LPARAM lOffset : {0, 8, 16, -16, -8, 4})
            vecGuesses.push_back(lBlock + lOffset);
    ASSERT_GT(vecGuesses.size(), 1000u);
    size_t uAccepted = 0;
    for (LPARAM lGuess : vecGuesses)
        uAccepted += AcceptBusBlock(lGuess, 11) != 0;
    EXPECT_EQ(0u, uAccepted);
}
