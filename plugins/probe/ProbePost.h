// Hands a bus record to the host's main window through the SDK's record writer, or in a
// block shaped as an independent plug-in may shape it, and tells which posted blocks live.
#pragma once
#include <windows.h>
#include "ProbeConfig.h"
#include "ProbeLogWriter.h"

// Posts (or sends) a record with the fields in order; the host owns its block from then on.
// Returns the send result, or 1 when posted; 0 when nothing reached the host.
LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous);
// Posts the record in a block of the configured shape (size, cut, Type line, terminator,
// movable "MemBlock") and remembers the block and its "MemBlock".
void PostShapedRecord(HWND _hWnd, const ProbeConfig& _config, ProbeFields _fields);
// How many of the blocks PostShapedRecord posted (records and "MemBlock"s) still live.
int CountLivePostedBlocks();
bool HasPostedShapedBlocks();
// Size of a live block of the process heap, 0 for any other value (walks the heap).
SIZE_T LiveBlockSize(INT_PTR _iBlock);
