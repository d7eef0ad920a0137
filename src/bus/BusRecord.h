// Transport of bus records to the host's main window, the host's own senders,
// and the ownership rules of record memory blocks.
// Building and reading records: TelvarinPlugin.h (shared with the plug-ins).
#pragma once
#include <windows.h>
#include "TelvarinPlugin.h"

// Copies the record into a fresh fixed block (at least 16384 + 2 characters, n + 2 above)
// and posts or sends message 1151. Returns 0 for a missing window, an unreadable record,
// a failed allocation or a failed post (the block is then freed), the SendMessage result
// when synchronous, else 1.
int PostBusRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uType, const wchar_t* _pszRecord);
// The end of a post: 1 when the block is on its way, else the block is nobody's and is
// freed (and dropped from the account), and the result is 0.
int SettlePost(BOOL _bPosted, HGLOBAL _hBlock);
// A record holding only the Type field.
int SendBusType(HWND _hWnd, BOOL _bSynchronous, UINT _uType);

// The host's senders (types 1, 4, 9, 33, 66, 76, 82); all post except type 1 when asked to send.
int PostMenuCommandRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uWParam, UINT _uLParam);
void PostTraceRecord(HWND _hWnd, UINT _uLevel, const wchar_t* _pszText, DWORD _dwThread);
// Type 9 to the host of another process, as WM_SETTEXT with wParam 0 (the host posts it to
// itself); waits at most the timeout for a host that does not answer. False when not sent.
bool SendShowConfigText(HWND _hWnd, UINT _uModule, UINT _uTimeoutMs);
void PostPluginInitiatedRecord(HWND _hWnd, UINT _uPluginID, UINT _uInitiated);
void PostLastErrorRecord(HWND _hWnd, const wchar_t* _pszLastErr);
void PostSchemeRecord(HWND _hWnd, UINT _uSchemeIndex, const wchar_t* _pszFont, const wchar_t* _pszLanguage);
void PostVersionInfoRecord(HWND _hWnd, const wchar_t* _pszHighest, const wchar_t* _pszActual);

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

// WM_SETTEXT from another process: a text beginning with "<" becomes a message 1151 to
// the window (sent when _wParam is nonzero, else posted). Returns true when it did.
bool ForwardSetTextRecord(HWND _hWnd, WPARAM _wParam, const wchar_t* _pszText);
