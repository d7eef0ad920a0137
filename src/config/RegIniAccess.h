// The configuration store: per-user INI, INI beside the program, or the registry.
#pragma once
#include "config/RegTool.h"

class CRegIniAccess : public CRegTool
{
public:
    CRegIniAccess();
    ~CRegIniAccess() override;
    void Init(int _bCreateFolder);
    const wchar_t* ReadString(const wchar_t* _pszSection, const wchar_t* _pszKey, int _bUnescape);
    int WriteString(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue);
    int WriteInt(const wchar_t* _pszSection, const wchar_t* _pszKey, int _iValue);
    int WriteFormat(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszFormat, ...);

    const wchar_t* GetUserIni() const { return m_szUserIni; }
    const wchar_t* GetModuleIni() const { return m_szModuleIni; }
    bool UsesRegistry() const { return m_bUseRegistry != 0; }
private:
    // owned by the configuration subsystem
    wchar_t m_szModuleIni[512];
    wchar_t m_szProgramIni[512];
    wchar_t m_szProgramName[512];
    wchar_t m_szModuleName[512];
    wchar_t m_szRegKey[512];
    wchar_t m_szUserName[512];
    wchar_t m_szUserIni[512];
    DWORD m_bUseRegistry;
    DWORD m_bCreateFolder;
};

extern CRegIniAccess g_RegIniAccess;

// Per-user data folders (shared result buffer, no trailing backslash).
const wchar_t* GetUserDataFolder(const wchar_t* _pszSubFolder);
const wchar_t* GetConfigFolder();   // "CFG"
const wchar_t* GetLogFolder();      // "LOG"
