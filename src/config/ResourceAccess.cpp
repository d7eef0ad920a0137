// scaffold: replaced by the owning subsystem
#include "config/ResourceAccess.h"
void CResourceAccess::Init() {}
const wchar_t* CResourceAccess::GetString(UINT, const wchar_t* d) { return d ? d : L""; }
void CResourceAccess::SetDlgItemString(HWND, int, UINT, const wchar_t*) {}
void CResourceAccess::SetWindowString(HWND, UINT, const wchar_t*) {}
void CResourceAccess::SetMenuText(HMENU, UINT, UINT, const wchar_t*) {}
int CResourceAccess::SelectLanguage(const wchar_t*) { return 0; }
