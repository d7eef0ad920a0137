// scaffold: replaced by the owning subsystem
#include "config/RegIniAccess.h"
CRegIniAccess::CRegIniAccess() : m_szModuleIni{}, m_szProgramIni{}, m_szProgramName{}, m_szModuleName{}, m_szRegKey{}, m_szUserName{}, m_szUserIni{}, m_bUseRegistry(0), m_bCreateFolder(1) {}
CRegIniAccess::~CRegIniAccess() {}
void CRegIniAccess::Init(int) {}
const wchar_t* CRegIniAccess::ReadString(const wchar_t*, const wchar_t*, int) { return L""; }
int CRegIniAccess::WriteString(const wchar_t*, const wchar_t*, const wchar_t*) { return 0; }
int CRegIniAccess::WriteInt(const wchar_t*, const wchar_t*, int) { return 0; }
int CRegIniAccess::WriteFormat(const wchar_t*, const wchar_t*, const wchar_t*, ...) { return 0; }
const wchar_t* GetUserDataFolder(const wchar_t*) { return L""; }
const wchar_t* GetConfigFolder() { return L""; }
const wchar_t* GetLogFolder() { return L""; }
