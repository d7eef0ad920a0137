// Ownership of the memory blocks of message 1151. A block value arrives in a message that
// any process can send, so it is used only when it is a live block of this process's heap.
#include "bus/BusRecord.h"

bool IsOwnGlobalBlock(LPARAM _lBlock)
{
    const void* pBlock = reinterpret_cast<const void*>(_lBlock);
    if (pBlock == nullptr || _lBlock % MEMORY_ALLOCATION_ALIGNMENT != 0)
        return false;
    // The heap is asked only about readable addresses; it then rejects anything that is
    // not the start of one of its live blocks (foreign handles, freed or inner pointers).
    if (!IsBusMemoryReadable(pBlock, sizeof(wchar_t)) || !HeapValidate(GetProcessHeap(), 0, pBlock))
        return false;
    const SIZE_T cbBlock = GlobalSize(const_cast<void*>(pBlock));
    return cbBlock >= sizeof(wchar_t) && IsBusMemoryReadable(pBlock, cbBlock);
}

const wchar_t* RecordOfBlock(LPARAM _lBlock)
{
    if (!IsOwnGlobalBlock(_lBlock))
        return L"";
    const wchar_t* pszRecord = reinterpret_cast<const wchar_t*>(_lBlock);
    const size_t cchBlock = GlobalSize(reinterpret_cast<HGLOBAL>(_lBlock)) / sizeof(wchar_t);
    return GetBusTextLength(pszRecord, cchBlock) < 0 ? L"" : pszRecord;
}

void ReleaseBusBlock(LPARAM _lBlock)
{
    if (!IsOwnGlobalBlock(_lBlock))
        return;
    const INT_PTR iMemBlock = GetBusHandle(RecordOfBlock(_lBlock), L"MemBlock");
    if (iMemBlock != 0 && iMemBlock != _lBlock && IsOwnGlobalBlock(iMemBlock))
        GlobalFree(reinterpret_cast<HGLOBAL>(iMemBlock));
    GlobalFree(reinterpret_cast<HGLOBAL>(_lBlock));
}
