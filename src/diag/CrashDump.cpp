// scaffold: replaced by the owning subsystem
#include "diag/CrashDump.h"
LONG WriteCrashDump(EXCEPTION_POINTERS*, DWORD) { return EXCEPTION_EXECUTE_HANDLER; }
void BuildCrashDumpName(const wchar_t*, const SYSTEMTIME&, wchar_t* p, size_t) { p[0] = 0; }
