// scaffold: replaced by the owning subsystem
#include "diag/Trace.h"
volatile DWORD g_dwGlobalDebugLevel = 0;
void WriteTrace(DWORD, const wchar_t*, ...) {}
