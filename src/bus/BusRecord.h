// Transport of bus records to the host's main window. The host's own senders and the
// ownership rules of record memory blocks have units of their own, included here for the
// callers. Building and reading records: TelvarinPlugin.h (shared with the plug-ins).
#pragma once
#include <windows.h>

#include "TelvarinPlugin.h"
#include "bus/BusBlock.h"
#include "bus/BusBlockRegistry.h"
#include "bus/BusSenders.h"

// True when the window exists and so can receive a bus message.
bool IsBusTarget(HWND _hWnd);

// Copies the record into a fresh fixed block (at least 16384 + 2 characters, n + 2 above)
// and posts or sends message 1151. Returns 0 for a missing window, an unreadable record,
// a failed allocation, a failed post or a post refused because too many of the host's
// records wait already (the block is then freed), the SendMessage result
// when synchronous, else 1.
int PostBusRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uType, const wchar_t* _pszRecord);
// PostBusRecord for a record this process built in a buffer of its own, whose length
// (_cchRecord characters before the terminator) it knows: the text is not probed again.
int PostOwnBusRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uType, const wchar_t* _pszRecord, size_t _cchRecord);
// The end of a post: 1 when the block is on its way, else the block is nobody's and is
// freed (and dropped from the account), and the result is 0.
int SettlePost(BOOL _bPosted, HGLOBAL _hBlock);
// WM_SETTEXT from another process: a text beginning with "<" becomes a message 1151 to
// the window (sent when _wParam is nonzero, else posted). Returns true when it did.
bool ForwardSetTextRecord(HWND _hWnd, WPARAM _wParam, const wchar_t* _pszText);
