// scaffold: replaced by the owning subsystem
#include "ui/InfoIcon.h"
void CInfoIcon::BuildErrorTip(const wchar_t*, const wchar_t*, const wchar_t*, wchar_t* p, size_t) { p[0] = 0; }
