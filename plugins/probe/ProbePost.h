// Hands a bus record to the host's main window through the SDK's record writer.
#pragma once
#include <windows.h>
#include "ProbeLogWriter.h"

// Posts (or sends) a record with the fields in order; the host owns its block from then on.
// Returns the send result, or 1 when posted; 0 when nothing reached the host.
LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous);
