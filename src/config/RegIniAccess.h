// The configuration store: per-user INI, INI beside the program, or the registry.
#pragma once
#include "config/RegTool.h"

class CRegIniAccess : public CRegTool
{
public:
    CRegIniAccess();
    ~CRegIniAccess() override;
    // Fixes the file names and the mode from the module that holds the store and the
    // program file of the process.
    void Init(int _bCreateFolder);
    // The same for given module and program files, and the user's configuration folder of
    // that program (null: this process's, GetConfigFolder).
    void InitForFiles(int _bCreateFolder, const wchar_t* _pszModuleFile, const wchar_t* _pszProgramFile,
                      const wchar_t* _pszConfigFolder = nullptr);
    const wchar_t* ReadString(const wchar_t* _pszSection, const wchar_t* _pszKey, int _bUnescape);
    int WriteString(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue);
    int WriteInt(const wchar_t* _pszSection, const wchar_t* _pszKey, int _iValue);
    int WriteFormat(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszFormat, ...);

    const wchar_t* GetUserIni() const { return m_szUserIni; }
    const wchar_t* GetModuleIni() const { return m_szModuleIni; }
    const wchar_t* GetProgramIni() const { return m_szProgramIni; }
    const wchar_t* GetRegKey() const { return m_szRegKey; }
    bool UsesRegistry() const { return m_bUseRegistry != 0; }

private:
    void ReadRegistryValue(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszOut);
    void ReadIniValue(const wchar_t* _pszSection, const wchar_t* _pszKey, wchar_t* _pszOut);
    int WriteRegistryValue(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszStored);
    int WriteIniValue(const wchar_t* _pszSection, const wchar_t* _pszKey, const wchar_t* _pszValue);
    bool MakeSectionKey(const wchar_t* _pszSection, wchar_t* _pszOut, size_t _cchOut) const;

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
