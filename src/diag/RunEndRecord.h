// The plug-in named should the run end now: a fault in it, or a call into it that hangs.
// Kept in the status report (section "RunEnd"), so the next start can tell that the run
// before ended in that plug-in, however the process ended.
#pragma once
#include <cstddef>

// Names the plug-in file with the reason ("fault" or "hang"); any thread may write it.
void RecordRunEnd(const wchar_t* _pszPluginFile, const wchar_t* _pszReason);
// The run goes on (a hung call returned, or a new run starts): no plug-in is named.
void ClearRunEnd();
// The plug-in file the record names; empty when none.
void ReadRunEnd(wchar_t* _pszOut, size_t _cchOut);
