// The record blocks of message 1151 that this process may read and free.
// A block value arrives in a message that any process can post, so the host keeps
// account of the blocks it handed to its own window and of the block being handled:
// a block is handled once, and a block another process names is not taken on trust.
#pragma once
#include <windows.h>

#include <mutex>
#include <unordered_map>

class CBusBlockRegistry
{
public:
    enum class EOrigin { Host, ForeignText, Plugin };

    // A block the host posts or sends to its own window; ForeignText marks a record that
    // arrived as window text from another process (its "MemBlock" is that process's).
    void AddPending(LPARAM _lBlock, EOrigin _eOrigin);
    // A pending block that was not delivered after all.
    void Forget(LPARAM _lBlock);
    // Takes a block for handling: a pending block of the host, or an untracked block that
    // holds a well-formed record of the type. False for anything else, including a block
    // that is already being handled.
    bool Accept(LPARAM _lBlock, UINT _uType);
    // True when the block is known (pending or being handled).
    bool IsKnown(LPARAM _lBlock) const;
    // Drops a known block from the account before it is freed; false when it is unknown.
    bool Finish(LPARAM _lBlock, EOrigin* _peOrigin);
    size_t PendingCount() const;

private:
    struct SEntry
    {
        EOrigin eOrigin;
        bool bAccepted;
    };
    mutable std::mutex m_mutex;
    std::unordered_map<LPARAM, SEntry> m_mapBlocks;
};

// The one registry of the process (its monitor thread posts too, hence the lock).
CBusBlockRegistry& BusBlocks();

// True when the value is the start of a live block of this process's heap (its size in
// *_pcbBlock). Walks the heap: safe for any value, but costs a walk.
bool FindLiveHeapBlock(LPARAM _lBlock, SIZE_T* _pcbBlock);
// True when the value is the start of a live global memory block of this process's heap.
bool IsOwnGlobalBlock(LPARAM _lBlock);
// True when the live block holds one well-formed record of the type: the header, the
// type line with this number, the footer and a zero-filled rest, as every sender writes it.
bool IsWellFormedRecordBlock(LPARAM _lBlock, UINT _uType);

// The block of an arriving message 1151 when it may be handled (a block the host gave its
// own window, or a plug-in's block holding a well-formed record of the type), else 0,
// which reads as an empty record and frees nothing. A block is handed out once.
LPARAM AcceptBusBlock(LPARAM _lBlock, UINT _uType);
// The record text of a block the host knows (on its way or accepted), else an empty
// record. Never faults.
const wchar_t* RecordOfBlock(LPARAM _lBlock);
// Frees a known block and its record's "MemBlock" block; the latter only when it is a
// live block of this process that no other message holds and the record did not arrive
// as window text from another process.
void ReleaseBusBlock(LPARAM _lBlock);
