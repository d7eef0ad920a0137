// Hands a bus record to the host's main window, as any plug-in does.
#pragma once
#include <windows.h>
#include "ProbeLogWriter.h"

// The host's main window in this process (user data HOST_WINDOW_ID); null when none.
HWND FindHostWindow();
// Builds the record (Type, the fields, Sender) into a fresh fixed block and posts or sends
// message 1151; the host owns the block from then on. Returns the send result, or 1 posted.
LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous);
