// scaffold: replaced by the owning subsystem
#include "config/VersionTool.h"
CVersionTool::CVersionTool(HMODULE) {}
CVersionTool::CVersionTool(const wchar_t*) {}
void CVersionTool::Read(const wchar_t*) {}
