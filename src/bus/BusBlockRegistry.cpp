// Ownership of the memory blocks of message 1151. A block value arrives in a message that
// any process can send, so it is used only when the host gave it to its own window or when
// it is a live fixed block of this process's heap that holds a record.
#include "bus/BusBlockRegistry.h"

#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "bus/BusRecord.h"

namespace {

// Calls the visitor with each live block of the process heap until it returns true; true
// when it did. The heap's own validation reads block headers at the address it is given and
// can fault on a guessed one; walking the heap only reads what the heap itself knows.
template <typename Visitor>
bool AnyLiveHeapBlock(Visitor _visit)
{
    const HANDLE hHeap = GetProcessHeap();
    bool bFound = false;
    PROCESS_HEAP_ENTRY entry = {};
    if (!HeapLock(hHeap))
        return false;
    while (!bFound && HeapWalk(hHeap, &entry))
        bFound = (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && _visit(entry);
    HeapUnlock(hHeap);
    return bFound;
}

bool IsAligned(LPARAM _lValue)
{
    return _lValue != 0 && _lValue % MEMORY_ALLOCATION_ALIGNMENT == 0;
}

}   // namespace

bool FindLiveHeapBlock(LPARAM _lBlock, SIZE_T* _pcbBlock)
{
    if (!IsAligned(_lBlock))
        return false;
    return AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        if (reinterpret_cast<LPARAM>(_entry.lpData) != _lBlock)
            return false;
        *_pcbBlock = _entry.cbData;
        return true;
    });
}

bool IsOwnGlobalHandle(LPARAM _lHandle)
{
    // A handle is asked about only by way of the blocks the walk finds: the handle of a
    // movable block is no heap address, and a guessed one is never handed to the heap.
    if (_lHandle == 0 || _lHandle % sizeof(void*) != 0)
        return false;
    const HGLOBAL hHandle = reinterpret_cast<HGLOBAL>(_lHandle);
    return AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        if ((_entry.wFlags & PROCESS_HEAP_ENTRY_MOVEABLE) && _entry.Block.hMem == hHandle)
            return true;
        return GlobalHandle(_entry.lpData) == hHandle;
    });
}

EBlockVerdict CheckRecordBlock(LPARAM _lBlock)
{
    // The header is compared first, where memory is readable; the heap is asked only about
    // the few values that begin like a record, and the block is read while the heap is
    // locked, so that no other thread frees it meanwhile.
    const wchar_t* pszBlock = reinterpret_cast<const wchar_t*>(_lBlock);
    const size_t cchHeader = wcslen(BUS_RECORD_HEADER);
    if (!IsAligned(_lBlock) || !IsBusMemoryReadable(pszBlock, cchHeader * sizeof(wchar_t)) ||
        wmemcmp(pszBlock, BUS_RECORD_HEADER, cchHeader) != 0)
        return EBlockVerdict::NoRecordBlock;
    EBlockVerdict eVerdict = EBlockVerdict::NoRecordBlock;
    AnyLiveHeapBlock([&](const PROCESS_HEAP_ENTRY& _entry) {
        if (_entry.lpData != pszBlock)
            return false;
        // A fixed global block is its own handle; the block of a movable one is not.
        const size_t cchBlock = _entry.cbData / sizeof(wchar_t);
        if (cchBlock >= cchHeader && GlobalHandle(pszBlock) == reinterpret_cast<HGLOBAL>(_lBlock) &&
            IsBusMemoryReadable(pszBlock, _entry.cbData))
            eVerdict =
                BoundedTextLength(pszBlock, cchBlock) < cchBlock ? EBlockVerdict::Taken : EBlockVerdict::Unterminated;
        return true;
    });
    return eVerdict;
}

CBusBlockRegistry& BusBlocks()
{
    static CBusBlockRegistry s_registry;
    return s_registry;
}

void CBusBlockRegistry::AddPending(LPARAM _lBlock, UINT _uType, EOrigin _eOrigin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    AddLocked(_lBlock, SEntry{_eOrigin, false, _uType});
}

bool CBusBlockRegistry::AddPosted(LPARAM _lBlock, UINT _uType, EOrigin _eOrigin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_cWaiting >= MAX_WAITING)
    {
        ++m_uRefusedPosts;
        return false;
    }
    AddLocked(_lBlock, SEntry{_eOrigin, false, _uType});
    return true;
}

void CBusBlockRegistry::Forget(LPARAM _lBlock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_mapBlocks.find(_lBlock);
    if (it != m_mapBlocks.end())
        EraseLocked(it);
}

void CBusBlockRegistry::HoldBuffer(LPARAM _lBuffer)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    AddLocked(_lBuffer, SEntry{EOrigin::Buffer, true, 0});
}

EBlockVerdict CBusBlockRegistry::Accept(LPARAM _lBlock, UINT _uType)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_mapBlocks.find(_lBlock);
        if (it != m_mapBlocks.end())
        {
            if (it->second.bAccepted)
                return EBlockVerdict::Busy;
            if (it->second.uType != _uType)
                return EBlockVerdict::OtherType;
            it->second.bAccepted = true;
            --m_cWaiting;
            return EBlockVerdict::Taken;
        }
    }
    // A plug-in's own block.
    const EBlockVerdict eVerdict = CheckRecordBlock(_lBlock);
    if (eVerdict != EBlockVerdict::Taken)
        return eVerdict;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.emplace(_lBlock, SEntry{EOrigin::Plugin, true, _uType}).second ? EBlockVerdict::Taken
                                                                                      : EBlockVerdict::Busy;
}

bool CBusBlockRegistry::IsKnown(LPARAM _lBlock) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.count(_lBlock) != 0;
}

bool CBusBlockRegistry::IsMessageBlock(LPARAM _lBlock) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_mapBlocks.find(_lBlock);
    return it != m_mapBlocks.end() && it->second.eOrigin != EOrigin::Buffer;
}

bool CBusBlockRegistry::Finish(LPARAM _lBlock, EOrigin* _peOrigin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_mapBlocks.find(_lBlock);
    if (it == m_mapBlocks.end() || it->second.eOrigin == EOrigin::Buffer)
        return false;
    *_peOrigin = it->second.eOrigin;
    EraseLocked(it);
    return true;
}

size_t CBusBlockRegistry::PendingCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.size();
}

size_t CBusBlockRegistry::WaitingCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_cWaiting;
}

UINT CBusBlockRegistry::TakeRefusedPosts()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const UINT uRefused = m_uRefusedPosts;
    m_uRefusedPosts = 0;
    return uRefused;
}

void CBusBlockRegistry::AddLocked(LPARAM _lBlock, SEntry _entry)
{
    auto it = m_mapBlocks.find(_lBlock);
    if (it != m_mapBlocks.end())
        EraseLocked(it);
    m_mapBlocks.emplace(_lBlock, _entry);
    if (!_entry.bAccepted)
        ++m_cWaiting;
}

void CBusBlockRegistry::EraseLocked(std::unordered_map<LPARAM, SEntry>::iterator _it)
{
    if (!_it->second.bAccepted)
        --m_cWaiting;
    m_mapBlocks.erase(_it);
}

const wchar_t* RecordOfBlock(LPARAM _lBlock)
{
    // A message's block is one the host allocated or found as a live fixed block, and it
    // stays on account until it is freed: its memory is readable and its size is the heap's,
    // so only the terminator within the block is looked for (no probe of the pages).
    if (!BusBlocks().IsMessageBlock(_lBlock))
        return L"";
    const wchar_t* pszRecord = reinterpret_cast<const wchar_t*>(_lBlock);
    const size_t cchBlock = GlobalSize(reinterpret_cast<HGLOBAL>(_lBlock)) / sizeof(wchar_t);
    return BoundedTextLength(pszRecord, cchBlock) < cchBlock ? pszRecord : L"";
}
