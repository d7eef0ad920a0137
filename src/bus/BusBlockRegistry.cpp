// Ownership of the memory blocks of message 1151. A block value arrives in a message that
// any process can send, so it is used only when the host gave it to its own window or when
// it is a live block of this process's heap holding a record exactly as a sender writes it.
#include "bus/BusBlockRegistry.h"

#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "bus/BusRecord.h"

namespace {

const size_t MIN_BLOCK_CHARS = 16384 + 2;   // every sender's block holds at least this many

bool HasPrefix(const wchar_t* _pszText, size_t _cchText, const wchar_t* _pszPrefix, size_t* _pcchPrefix)
{
    const size_t cchPrefix = wcslen(_pszPrefix);
    *_pcchPrefix = cchPrefix;
    return cchPrefix <= _cchText && wmemcmp(_pszText, _pszPrefix, cchPrefix) == 0;
}

bool IsZeroFrom(const wchar_t* _pszBlock, size_t _cchStart, size_t _cchBlock)
{
    for (size_t i = _cchStart; i < _cchBlock; ++i)
    {
        if (_pszBlock[i] != L'\0')
            return false;
    }
    return true;
}

} // namespace

bool FindLiveHeapBlock(LPARAM _lBlock, SIZE_T* _pcbBlock)
{
    // The heap's own validation reads block headers at the address it is given and can
    // fault on a guessed one; walking the heap only reads what the heap itself knows.
    if (_lBlock == 0 || _lBlock % MEMORY_ALLOCATION_ALIGNMENT != 0)
        return false;
    const HANDLE hHeap = GetProcessHeap();
    bool bFound = false;
    PROCESS_HEAP_ENTRY entry = {};
    if (!HeapLock(hHeap))
        return false;
    while (!bFound && HeapWalk(hHeap, &entry))
    {
        if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) && reinterpret_cast<LPARAM>(entry.lpData) == _lBlock)
        {
            *_pcbBlock = entry.cbData;
            bFound = true;
        }
    }
    HeapUnlock(hHeap);
    return bFound;
}

bool IsOwnGlobalBlock(LPARAM _lBlock)
{
    SIZE_T cbBlock = 0;
    return FindLiveHeapBlock(_lBlock, &cbBlock) && cbBlock >= sizeof(wchar_t) &&
           IsBusMemoryReadable(reinterpret_cast<const void*>(_lBlock), cbBlock);
}

bool IsWellFormedRecordBlock(LPARAM _lBlock, UINT _uType)
{
    // What a guess is checked against first is read only where memory is readable; the
    // heap is asked last, for the few values that look like a record.
    const wchar_t* pszBlock = reinterpret_cast<const wchar_t*>(_lBlock);
    if (_lBlock == 0 || _lBlock % MEMORY_ALLOCATION_ALIGNMENT != 0 ||
        !IsBusMemoryReadable(pszBlock, MIN_BLOCK_CHARS * sizeof(wchar_t)))
        return false;
    size_t cchHeader = 0;
    if (!HasPrefix(pszBlock, MIN_BLOCK_CHARS, BUS_RECORD_HEADER, &cchHeader))
        return false;
    wchar_t szTypeLine[64];
    StringCchPrintfW(szTypeLine, ARRAYSIZE(szTypeLine), BUS_FIELD_TYPE, _uType);
    size_t cchTypeLine = 0;
    if (!HasPrefix(pszBlock + cchHeader, MIN_BLOCK_CHARS - cchHeader, szTypeLine, &cchTypeLine))
        return false;
    SIZE_T cbBlock = 0;
    if (!FindLiveHeapBlock(_lBlock, &cbBlock) || cbBlock < MIN_BLOCK_CHARS * sizeof(wchar_t) ||
        !IsBusMemoryReadable(pszBlock, cbBlock))
        return false;
    const size_t cchBlock = cbBlock / sizeof(wchar_t);
    const size_t cchText = BoundedTextLength(pszBlock, cchBlock);
    const wchar_t szEnd[] = L"</data>\r\n";
    const size_t cchEnd = ARRAYSIZE(szEnd) - 1;
    if (cchText + 2 > cchBlock || cchText < cchHeader + cchTypeLine + cchEnd ||
        wmemcmp(pszBlock + cchText - cchEnd, szEnd, cchEnd) != 0)
        return false;
    return IsZeroFrom(pszBlock, cchText, cchBlock);
}

CBusBlockRegistry& BusBlocks()
{
    static CBusBlockRegistry s_registry;
    return s_registry;
}

void CBusBlockRegistry::AddPending(LPARAM _lBlock, EOrigin _eOrigin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapBlocks[_lBlock] = SEntry{_eOrigin, false};
}

void CBusBlockRegistry::Forget(LPARAM _lBlock)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_mapBlocks.erase(_lBlock);
}

bool CBusBlockRegistry::Accept(LPARAM _lBlock, UINT _uType)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        auto it = m_mapBlocks.find(_lBlock);
        if (it != m_mapBlocks.end())
        {
            if (it->second.bAccepted)
                return false;
            it->second.bAccepted = true;
            return true;
        }
    }
    // A plug-in's own block: only a record exactly as senders write it is taken.
    if (!IsWellFormedRecordBlock(_lBlock, _uType))
        return false;
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.emplace(_lBlock, SEntry{EOrigin::Plugin, true}).second;
}

bool CBusBlockRegistry::IsKnown(LPARAM _lBlock) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.count(_lBlock) != 0;
}

bool CBusBlockRegistry::Finish(LPARAM _lBlock, EOrigin* _peOrigin)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_mapBlocks.find(_lBlock);
    if (it == m_mapBlocks.end())
        return false;
    *_peOrigin = it->second.eOrigin;
    m_mapBlocks.erase(it);
    return true;
}

size_t CBusBlockRegistry::PendingCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_mapBlocks.size();
}

LPARAM AcceptBusBlock(LPARAM _lBlock, UINT _uType)
{
    return _lBlock != 0 && BusBlocks().Accept(_lBlock, _uType) ? _lBlock : 0;
}

const wchar_t* RecordOfBlock(LPARAM _lBlock)
{
    // A known block is one the host allocated or accepted as a live heap block, and it stays
    // on account until it is freed: its memory is readable and its size is the heap's, so
    // only the terminator within the block is looked for (no probe of the pages).
    if (!BusBlocks().IsKnown(_lBlock))
        return L"";
    const wchar_t* pszRecord = reinterpret_cast<const wchar_t*>(_lBlock);
    const size_t cchBlock = GlobalSize(reinterpret_cast<HGLOBAL>(_lBlock)) / sizeof(wchar_t);
    return BoundedTextLength(pszRecord, cchBlock) < cchBlock ? pszRecord : L"";
}

void ReleaseBusBlock(LPARAM _lBlock)
{
    CBusBlockRegistry::EOrigin eOrigin = CBusBlockRegistry::EOrigin::Host;
    const INT_PTR iMemBlock = GetBusHandle(RecordOfBlock(_lBlock), L"MemBlock");
    if (!BusBlocks().Finish(_lBlock, &eOrigin))
        return;
    // A "MemBlock" in window text names a block of the process that sent the text; a block
    // that is itself a record on its way is not this message's to free.
    if (eOrigin != CBusBlockRegistry::EOrigin::ForeignText && iMemBlock != 0 && iMemBlock != _lBlock &&
        !BusBlocks().IsKnown(iMemBlock) && IsOwnGlobalBlock(iMemBlock))
        GlobalFree(reinterpret_cast<HGLOBAL>(iMemBlock));
    GlobalFree(reinterpret_cast<HGLOBAL>(_lBlock));
}
