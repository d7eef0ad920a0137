// Requests to the main window from plug-in code and other processes: trace text, function
// calls on the main thread, colour scheme changes and records handed over as window text.
// Every pointer in them comes from a sender and is checked before it is used.
#pragma once
#include <windows.h>

void OnTraceRequest(HWND _hWnd, WPARAM _wLevel, LPARAM _lText);
void OnCallFunction(LPARAM _lFunction);
void OnSchemeChange(HWND _hWnd, LPARAM _lRecord);
void OnSetTextRecord(HWND _hWnd, WPARAM _wParam, LPARAM _lText);
