// scaffold: replaced by the owning subsystem
#include "config/VersionHandler.h"
void CVersionHandler::Load() {}
void CVersionHandler::CheckVersion() {}
void CVersionHandler::SendVersionInfo() {}
void MakeComparableVersion(const wchar_t*, wchar_t* p, size_t) { p[0] = 0; }
