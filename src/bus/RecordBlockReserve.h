// Record blocks of the smallest size made ahead, for a burst of records the host posts while
// nothing takes them from the queue (the start's reports, written right after a wait): a
// block made during the wait costs nothing then, while one made in the burst costs fresh
// pages of the heap. A reserved block is a block like any other (fixed, zero-filled,
// BUS_BLOCK_MIN_CHARS characters) that nobody has written yet.
#pragma once
#include <windows.h>

// Makes blocks until _uCount of them wait in the reserve.
void ReserveRecordBlocks(size_t _uCount);
// One block of the reserve, now the caller's; null when none is left.
HGLOBAL TakeReservedRecordBlock();
// Frees the blocks left in the reserve.
void ReleaseRecordBlocks();
// Blocks waiting in the reserve.
size_t ReservedRecordBlocks();
