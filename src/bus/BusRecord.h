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
// A record holding only the Type field.
int SendBusType(HWND _hWnd, BOOL _bSynchronous, UINT _uType);

// The host's senders (types 1, 4, 9, 33, 66, 76, 82); all post except type 1 when asked to send.
int PostMenuCommandRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uWParam, UINT _uLParam);
void PostTraceRecord(HWND _hWnd, UINT _uLevel, const wchar_t* _pszText, DWORD _dwThread);
void PostShowConfigRecord(HWND _hWnd, UINT _uModule);
void PostPluginInitiatedRecord(HWND _hWnd, UINT _uPluginID, UINT _uInitiated);
void PostLastErrorRecord(HWND _hWnd, const wchar_t* _pszLastErr);
void PostSchemeRecord(HWND _hWnd, UINT _uSchemeIndex, const wchar_t* _pszFont, const wchar_t* _pszLanguage);
void PostVersionInfoRecord(HWND _hWnd, const wchar_t* _pszHighest, const wchar_t* _pszActual);

// True when the value is a live global memory block of this process's heap.
bool IsOwnGlobalBlock(LPARAM _lBlock);
// The record text of a message 1151 block: the block's text when it is this process's
// own block, else an empty record. Never faults.
const wchar_t* RecordOfBlock(LPARAM _lBlock);
// Frees the record's "MemBlock" block and the record block itself, each only when it
// is this process's own block.
void ReleaseBusBlock(LPARAM _lBlock);

// WM_SETTEXT from another process: a text beginning with "<" becomes a message 1151 to
// the window (sent when _wParam is nonzero, else posted). Returns true when it did.
bool ForwardSetTextRecord(HWND _hWnd, WPARAM _wParam, const wchar_t* _pszText);
