// scaffold: replaced by the owning subsystem
#include "config/RegTool.h"
CRegTool::~CRegTool() {}
LONG CRegTool::Open(HKEY, const wchar_t*) { return 2; }
LONG CRegTool::OpenOrCreate(HKEY, const wchar_t*) { return 2; }
LONG CRegTool::Close() { return 0; }
int CRegTool::ReadStringValue(const wchar_t*, wchar_t* b, DWORD, const wchar_t*) { b[0] = 0; return 0; }
LONG CRegTool::WriteStringValue(const wchar_t*, const wchar_t*) { return 2; }
int CRegTool::ReadDwordValue(const wchar_t*, DWORD* p, DWORD d) { *p = d; return 0; }
void CRegTool::UseNaturalView() {}
void CRegTool::Use32BitView() {}
LONG ReadRawValue(HKEY, const wchar_t*, void*, DWORD) { return 2; }
DWORD GetRunningState() { return 0; }
