// The record blocks of message 1151 that this process may read and free.
// A block value arrives in a message that any process can post, so the host keeps
// account of the blocks it handed to its own window and of the block being handled:
// a block is handled once, and a block another process names is not taken on trust.
#pragma once
#include <windows.h>

#include <mutex>
#include <unordered_map>

// What became of a block value that arrived in a message 1151.
enum class EBlockVerdict
{
    Taken,           // the host's own block, or a plug-in's record block: read, then freed
    Busy,            // a block that is already being handled, or a record buffer of the host
    OtherType,       // the host's own block on its way in a message of another type: left waiting
    NoRecordBlock,   // not a live fixed block of this process beginning with the record header
    Unterminated,    // a plug-in's record block without a terminator: freed unread
};

class CBusBlockRegistry
{
public:
    enum class EOrigin
    {
        Host,
        ForeignText,
        Plugin,
        Buffer
    };

    // Blocks of the host's own records that may wait in the queue at once. Each holds at least
    // 32 KB, so this bounds what posted messages from outside can make the host hold (128 MB).
    // A start with 192 plug-ins posts a few hundred trace records before the queue is served.
    static constexpr size_t MAX_WAITING = 4096;

    // A block the host sends to its own window as a message of the type; ForeignText marks a
    // record that arrived as window text from another process (its "MemBlock" is that
    // process's).
    void AddPending(LPARAM _lBlock, UINT _uType, EOrigin _eOrigin);
    // The same for a block the host posts; false (and counted as refused) when MAX_WAITING
    // blocks already wait.
    bool AddPosted(LPARAM _lBlock, UINT _uType, EOrigin _eOrigin);
    // A pending block that was not delivered after all, or a record buffer that ends.
    void Forget(LPARAM _lBlock);
    // A buffer in which the host builds a record: never taken for a message while it lives.
    void HoldBuffer(LPARAM _lBuffer);
    // Takes a block arriving in a message of the type for handling: a pending block of the
    // host sent or posted as that type (another process that names it in a message of
    // another type cannot turn the record into one), or an untracked live fixed block
    // beginning with the record header and terminated within the block.
    EBlockVerdict Accept(LPARAM _lBlock, UINT _uType);
    // True when the block is known (pending, being handled, or a record buffer).
    bool IsKnown(LPARAM _lBlock) const;
    // True when the block is a message's block (waiting or being handled), not a buffer.
    bool IsMessageBlock(LPARAM _lBlock) const;
    // Drops a known block from the account before it is freed; false when it is unknown.
    bool Finish(LPARAM _lBlock, EOrigin* _peOrigin);
    size_t PendingCount() const;
    // Blocks of the host's own records posted or sent and not yet taken.
    size_t WaitingCount() const;
    // Posts refused since the last call.
    UINT TakeRefusedPosts();

private:
    struct SEntry
    {
        EOrigin eOrigin;
        bool bAccepted;
        UINT uType;   // the message type a pending block of the host travels as
    };
    // Puts the entry on account in place of an earlier one; a waiting block counts.
    void AddLocked(LPARAM _lBlock, SEntry _entry);
    // Removes the entry; a block that was still waiting no longer counts.
    void EraseLocked(std::unordered_map<LPARAM, SEntry>::iterator _it);

    mutable std::mutex m_mutex;
    std::unordered_map<LPARAM, SEntry> m_mapBlocks;
    size_t m_cWaiting = 0;
    UINT m_uRefusedPosts = 0;
};

// The one registry of the process (its monitor thread posts too, hence the lock).
CBusBlockRegistry& BusBlocks();

// True when the value is the start of a live block of this process's heap (its size in
// *_pcbBlock). Walks the heap: safe for any value, but costs a walk.
bool FindLiveHeapBlock(LPARAM _lBlock, SIZE_T* _pcbBlock);
// True when the value is a live global memory handle of this process: a fixed block (the
// handle is the block) or a movable one (the handle names a block of the heap). Walks the heap.
bool IsOwnGlobalHandle(LPARAM _lHandle);
// What a block that the host does not know is: a live fixed block of this process that
// begins with the record header (Taken when terminated within the block, else
// Unterminated), or NoRecordBlock. The message's type is not asked: a record is read as
// far as it goes.
EBlockVerdict CheckRecordBlock(LPARAM _lBlock);

// The record text of a message's block the host knows (on its way or accepted), else an
// empty record. Never faults.
const wchar_t* RecordOfBlock(LPARAM _lBlock);
