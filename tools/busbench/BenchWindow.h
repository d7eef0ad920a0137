// The benchmark's message window. Its procedure answers a bare posted message by counting
// it, and message 1151 the way the host's main window does for a forwarded type: the block
// is accepted, its record read, and the message distributed to the six lists (which
// releases the block).
#pragma once
#include <windows.h>

#include <vector>

const UINT WM_BENCH = WM_APP + 1;

// Creates the window (a message-only window of this thread); null on failure.
HWND CreateBenchWindow();
// Seconds per message: _iCount messages posted by _post in batches of _iBatch (a divisor
// of _iCount, at most 5000), each batch pumped and dispatched before the next is posted.
double TimePostedMessages(int _iCount, int _iBatch, void (*_post)(HWND, const wchar_t*), HWND _hWnd,
                          const wchar_t* _pszRecord);
// Seconds of each of _iPairs bus messages (the record) and bare posted messages, taken one
// by one and each pumped and dispatched before the next is posted; the two kinds alternate
// message by message, and which of them goes first alternates with every pair, so that a
// change in the machine's load falls on both alike.
void TimeMessagePairs(int _iPairs, HWND _hWnd, const wchar_t* _pszRecord, std::vector<double>* _pvecBus,
                      std::vector<double>* _pvecBare);
void PostBare(HWND _hWnd, const wchar_t* _pszRecord);
void PostBus(HWND _hWnd, const wchar_t* _pszRecord);
