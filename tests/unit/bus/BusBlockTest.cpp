// Which blocks of message 1151 the host reads and frees: its own posted blocks and plug-in
// record blocks, each once; never another live block of its heap.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "HostMemory.h"
#include "TelvarinPlugin.h"
#include "bus/BusBlock.h"
#include "bus/PluginBase.h"
#include "bus/BusRecord.h"
#include "bus/BusRecordBuilder.h"

namespace {

const size_t BLOCK_CHARS = 16384 + 2;

std::wstring Record(UINT _uType, const std::wstring& _strFields = L"")
{
    return std::wstring(BUS_RECORD_HEADER) + L" <value keyword=\"Type\">" + std::to_wstring(_uType) + L"</value>\r\n" +
           _strFields + BUS_RECORD_FOOTER;
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

}   // namespace

TEST(BusBlock, PluginRecordIsAcceptedOnceReadAndFreedWithItsMemBlock)
{
    HGLOBAL hData = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 64);
    HGLOBAL hBlock = PluginBlock(Record(44, MemBlockField(hData)));
    CBusBlock block = CBusBlock::Accept(L(hBlock), 44);
    ASSERT_EQ(L(hBlock), block.Value());
    EXPECT_EQ(Record(44, MemBlockField(hData)), block.Record());
    // A second message naming the block while it is handled gets an empty record.
    EBlockVerdict eVerdict = EBlockVerdict::Taken;
    EXPECT_EQ(0, CBusBlock::Accept(L(hBlock), 44, &eVerdict).Value());
    EXPECT_EQ(EBlockVerdict::Busy, eVerdict);
    block.Release();
    EXPECT_FALSE(IsLive(hBlock));
    EXPECT_FALSE(IsLive(hData));
    // After the release the value names nothing the host knows.
    EXPECT_STREQ(L"", RecordOfBlock(L(hBlock)));
}

TEST(BusBlock, HarmlessVariationsOfPluginBlocksAreReadAsFarAsTheyGoAndFreed)
{
    const std::wstring strCut = std::wstring(BUS_RECORD_HEADER) +
                                L" <value keyword=\"Type\">44</value>\r\n <value keyword=\"Level\">2</value>\r\n"
                                L" <value keyword=\"Text\">cut her";
    struct
    {
        const wchar_t* pszCase;
        std::wstring strText;
        size_t cchBlock;
        const char* pszLevel;   // the Level value the host reads
    } aCases[] = {
        {L"two characters short", Record(44, L" <value keyword=\"Level\">3</value>\r\n"), BLOCK_CHARS - 2, "3"},
        {L"just the record", Record(44, L" <value keyword=\"Level\">4</value>\r\n"), 0, "4"},
        {L"cut record", strCut, BLOCK_CHARS, "2"},
        {L"other type line", Record(45, L" <value keyword=\"Level\">5</value>\r\n"), BLOCK_CHARS, "5"},
    };
    for (auto& testCase : aCases)
    {
        SCOPED_TRACE(testCase.pszCase);
        const size_t cchBlock = testCase.cchBlock ? testCase.cchBlock : testCase.strText.size() + 1;
        HGLOBAL hBlock = PluginBlock(testCase.strText, cchBlock);
        CBusBlock block = CBusBlock::Accept(L(hBlock), 44);
        ASSERT_EQ(L(hBlock), block.Value());
        EXPECT_EQ(testCase.strText, block.Record());
        EXPECT_STREQ(L"", GetBusValue(block.Record(), L"Text"));
        EXPECT_EQ(atoi(testCase.pszLevel), GetBusNumber(block.Record(), L"Level"));
        block.Release();
        EXPECT_FALSE(IsLive(hBlock));
    }
}

TEST(BusBlock, ValuesThatAreNoLiveFixedRecordBlockAreRefusedAndKept)
{
    std::vector<wchar_t> vecRecordCopy(BLOCK_CHARS);
    const std::wstring strRecord = Record(44);
    std::copy(strRecord.begin(), strRecord.end(), vecRecordCopy.begin());
    auto pText = std::make_unique<wchar_t[]>(64);
    wcscpy(pText.get(), L"<heap text>");
    HGLOBAL hPlain = PluginBlock(L"plain text");
    HGLOBAL hFreed = PluginBlock(Record(44));
    GlobalFree(hFreed);
    // A movable block holding a record: neither its handle nor its block is a fixed block.
    HGLOBAL hMovable = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, BLOCK_CHARS * sizeof(wchar_t));
    wchar_t* pszMovable = static_cast<wchar_t*>(GlobalLock(hMovable));
    ASSERT_NE(nullptr, pszMovable);
    wcscpy(pszMovable, strRecord.c_str());
    CBusRecordBuilder builder(44, BUS_RECORD_CAPACITY);
    HMODULE hExe = GetModuleHandleW(nullptr);
    const LPARAM alCandidates[] = {L(vecRecordCopy.data()),
                                   L(pText.get()),
                                   L(hPlain),
                                   L(hFreed),
                                   L(hMovable),
                                   L(pszMovable),
                                   L(builder.Text()),
                                   L(hPlain) + 16,
                                   L(hExe),
                                   reinterpret_cast<LPARAM>(&IsLive),
                                   1,
                                   -1,
                                   0x12345678};
    for (LPARAM lCandidate : alCandidates)
    {
        EXPECT_EQ(0, CBusBlock::Accept(lCandidate, 44).Value()) << lCandidate;
    }
    EXPECT_TRUE(IsLive(hPlain));
    EXPECT_TRUE(IsLive(pszMovable));
    EXPECT_EQ(strRecord, vecRecordCopy.data());
    EXPECT_EQ(strRecord, pszMovable);
    EXPECT_EQ(0, wcsncmp(builder.Text(), BUS_RECORD_HEADER, wcslen(BUS_RECORD_HEADER)));
    GlobalFree(hPlain);
    GlobalUnlock(hMovable);
    GlobalFree(hMovable);
}

TEST(BusBlock, PluginBlockWithoutTerminatorIsRefusedAndFreed)
{
    HGLOBAL hBlock = PluginBlock(Record(44), 1024);
    wchar_t* pszBlock = static_cast<wchar_t*>(hBlock);
    std::fill(pszBlock + Record(44).size(), pszBlock + 1024, L'x');
    EBlockVerdict eVerdict = EBlockVerdict::Taken;
    EXPECT_EQ(0, CBusBlock::Accept(L(hBlock), 44, &eVerdict).Value());
    EXPECT_EQ(EBlockVerdict::Unterminated, eVerdict);
    EXPECT_FALSE(IsLive(hBlock));
}

TEST(BusBlock, MemBlockIsFreedOnlyWhenItIsALiveGlobalHandleOfNoOtherMessage)
{
    HGLOBAL hMovable = GlobalAlloc(GMEM_MOVEABLE, 64);
    void* pMovableData = GlobalLock(hMovable);
    GlobalUnlock(hMovable);
    HGLOBAL hOtherMovable = GlobalAlloc(GMEM_MOVEABLE, 64);
    void* pOtherData = GlobalLock(hOtherMovable);
    GlobalUnlock(hOtherMovable);
    HGLOBAL hFixed = GlobalAlloc(GMEM_FIXED, 64);
    HGLOBAL hStale = GlobalAlloc(GMEM_MOVEABLE, 64);
    GlobalFree(hStale);
    int iOnStack = 0;
    struct
    {
        LPARAM lMemBlock;
        const void* pData;   // the heap block behind it
        bool bFreed;
    } aCases[] = {
        {L(hFixed), hFixed, true},          {L(hMovable), pMovableData, true},
        {L(pOtherData), pOtherData, false},   // the block of a movable handle, not a handle
        {L(&iOnStack), nullptr, false},     {L(hStale), nullptr, false},
    };
    for (auto& testCase : aCases)
    {
        HGLOBAL hBlock = PluginBlock(Record(44, MemBlockField(reinterpret_cast<HGLOBAL>(testCase.lMemBlock))));
        CBusBlock block = CBusBlock::Accept(L(hBlock), 44);
        ASSERT_EQ(L(hBlock), block.Value());
        block.Release();
        if (testCase.pData)
        {
            EXPECT_EQ(!testCase.bFreed, IsLive(testCase.pData)) << testCase.lMemBlock;
        }
    }
    EXPECT_EQ(0, iOnStack);
    EXPECT_EQ(pOtherData, GlobalLock(hOtherMovable));
    GlobalUnlock(hOtherMovable);
    GlobalFree(hOtherMovable);
}

TEST(BusBlock, HostBlocksAreTakenOnceAndForeignTextNeverFreesItsMemBlock)
{
    HGLOBAL hData = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, 64);
    // A record that arrived as window text: its MemBlock names the sender's memory.
    HGLOBAL hText = PluginBlock(Record(44, MemBlockField(hData)), 16384);
    BusBlocks().AddPending(L(hText), 44, CBusBlockRegistry::EOrigin::ForeignText);
    CBusBlock text = CBusBlock::Accept(L(hText), 44);
    ASSERT_EQ(L(hText), text.Value());
    EXPECT_EQ(0, CBusBlock::Accept(L(hText), 44).Value());
    text.Release();
    EXPECT_FALSE(IsLive(hText));
    EXPECT_TRUE(IsLive(hData));

    // A host block needs no record shape, but a MemBlock that is another record on its
    // way is not this message's to free.
    HGLOBAL hOther = PluginBlock(Record(4), 16384);
    BusBlocks().AddPending(L(hOther), 4, CBusBlockRegistry::EOrigin::Host);
    HGLOBAL hHost = PluginBlock(L"<host>" + MemBlockField(hOther) + L"</value>", 64);
    BusBlocks().AddPending(L(hHost), 44, CBusBlockRegistry::EOrigin::Host);
    CBusBlock host = CBusBlock::Accept(L(hHost), 44);
    ASSERT_EQ(L(hHost), host.Value());
    host.Release();
    EXPECT_FALSE(IsLive(hHost));
    EXPECT_TRUE(IsLive(hOther));
    EXPECT_TRUE(BusBlocks().IsKnown(L(hOther)));
    CBusBlock::Accept(L(hOther), 4).Release();
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
    // Another process that names the waiting block in a message of another type gets nothing,
    // and the block still waits for its own message.
    EBlockVerdict eVerdict = EBlockVerdict::Taken;
    EXPECT_EQ(0, CBusBlock::Accept(msg.lParam, QEL_BUSMSG_STATUS, &eVerdict).Value());
    EXPECT_EQ(EBlockVerdict::OtherType, eVerdict);
    EXPECT_TRUE(IsLive(reinterpret_cast<void*>(msg.lParam)));
    CBusBlock block = CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam));
    ASSERT_EQ(msg.lParam, block.Value());
    EXPECT_STREQ(L"<any text>", block.Record());
    block.Release();
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
        uAccepted += CBusBlock::Accept(lGuess, 44).Value() != 0;
    EXPECT_EQ(0u, uAccepted);
}

TEST(BusBlock, EveryPathOfAnAcceptedBlockTakesItOffTheAccountAndFreesIt)
{
    // Each path gets a host block as the main window receives it: posted and accepted.
    struct
    {
        const char* pszPath;
        void (*pfnPath)(CBusBlock&&);
    } aPaths[] = {
        {"consumed: the owner ends", [](CBusBlock&& _block) { CBusBlock consumed = std::move(_block); }},
        {"distributed", [](CBusBlock&& _block) { DistributeBusMessageToLists(44, std::move(_block)); }},
        {"replaced by another owner",
         [](CBusBlock&& _block) {
             CBusBlock held = std::move(_block);
             held = CBusBlock();
         }},
        {"named again while handled",
         [](CBusBlock&& _block) {
             EXPECT_EQ(0, CBusBlock::Accept(_block.Value(), 44).Value());
             CBusBlock consumed = std::move(_block);
         }},
    };
    HWND hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, hWnd);
    for (auto& path : aPaths)
    {
        SCOPED_TRACE(path.pszPath);
        const size_t uBefore = BusBlocks().PendingCount();
        ASSERT_EQ(1, PostBusRecord(hWnd, FALSE, 44, Record(44).c_str()));
        MSG msg = {};
        ASSERT_TRUE(PeekMessageW(&msg, hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE));
        CBusBlock block = CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam));
        ASSERT_EQ(msg.lParam, block.Value());
        path.pfnPath(std::move(block));
        EXPECT_EQ(0, block.Value());
        EXPECT_EQ(uBefore, BusBlocks().PendingCount());
        EXPECT_FALSE(IsLive(reinterpret_cast<void*>(msg.lParam)));
    }
    DestroyWindow(hWnd);
}
