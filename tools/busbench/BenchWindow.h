// The benchmark's message window. Its procedure answers a bare posted message by counting
// it, and message 1151 the way the host's main window does for a forwarded type: the block
// is accepted, its record read, and the message distributed to the six lists (which
// releases the block).
#pragma once
#include <windows.h>

const UINT WM_BENCH = WM_APP + 1;

// Creates the window (a message-only window of this thread); null on failure.
HWND CreateBenchWindow();
// Seconds per message: _iCount messages posted by _post in batches of _iBatch (a divisor
// of _iCount, at most 5000), each batch pumped and dispatched before the next is posted.
double TimePostedMessages(int _iCount, int _iBatch, void (*_post)(HWND, const wchar_t*), HWND _hWnd,
                          const wchar_t* _pszRecord);
void PostBare(HWND _hWnd, const wchar_t* _pszRecord);
void PostBus(HWND _hWnd, const wchar_t* _pszRecord);
