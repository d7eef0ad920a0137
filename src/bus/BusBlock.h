// The one owner of an accepted block of message 1151, from its acceptance until it is freed.
// Moving hands the block on (to the distribution, to a consuming handler); whoever holds it
// last frees it, on every path, so no handler between accepting and releasing can leak it.
#pragma once
#include <windows.h>

#include "bus/BusBlockRegistry.h"

class CBusBlock
{
public:
    CBusBlock() noexcept = default;
    // Takes the block of an arriving message 1151 of the type when it may be handled (a block
    // the host gave a window of this process as that type, or a plug-in's record block); any
    // other value gives an empty owner, whose record is empty and which frees nothing. A
    // block is handed out once; a plug-in's unterminated record block is freed here. The
    // verdict, when asked for, says why.
    static CBusBlock Accept(LPARAM _lBlock, UINT _uType, EBlockVerdict* _peVerdict = nullptr);

    CBusBlock(CBusBlock&& _other) noexcept;
    CBusBlock& operator=(CBusBlock&& _other) noexcept;
    CBusBlock(const CBusBlock&) = delete;
    CBusBlock& operator=(const CBusBlock&) = delete;
    ~CBusBlock() { Release(); }

    // The record text; an empty record for an empty owner. Never faults.
    const wchar_t* Record() const { return RecordOfBlock(m_lBlock); }
    // The block's value as the message carried it; 0 for an empty owner.
    LPARAM Value() const { return m_lBlock; }
    // Frees the block and its record's "MemBlock" now (a fixed or movable global handle);
    // the latter only when it is a live handle of this process that no other message holds
    // and the record did not arrive as window text from another process.
    void Release() noexcept;

private:
    explicit CBusBlock(LPARAM _lBlock) noexcept : m_lBlock(_lBlock) {}

    LPARAM m_lBlock = 0;
};
