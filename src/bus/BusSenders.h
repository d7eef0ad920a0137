// The host's own bus messages: a Type-only record and the senders of types 1, 4, 9, 33, 66,
// 76 and 82. Each builds in a buffer of its own, so any thread may send.
#pragma once
#include <windows.h>

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
