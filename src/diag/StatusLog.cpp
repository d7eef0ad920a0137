// scaffold: replaced by the owning subsystem
#include "diag/StatusLog.h"
CStatusLog::CStatusLog(int) {}
void CStatusLog::WriteStatus(const wchar_t*, const wchar_t*, const wchar_t*, ...) {}
