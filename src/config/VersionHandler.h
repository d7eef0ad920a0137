// Remembers the highest program version ever run on this configuration.
#pragma once
#include <windows.h>

class CVersionHandler
{
public:
    CVersionHandler() = default;
    virtual ~CVersionHandler() = default;
    // Reads the program file's product version and the stored "HighestVersion".
    void Load();
    // The same with a given running version.
    void LoadWithVersion(const wchar_t* _pszActualVersion);
    // True when the running version is newer than the stored highest one (or none is
    // stored): the running version is then stored, and the caller announces the change.
    bool CheckVersion();
    const wchar_t* GetActualVersion() const { return szActualVersion; }
    const wchar_t* GetHighestVersion() const { return szHighestVersion; }

private:
    wchar_t szActualVersion[64] = L"";
    wchar_t szActualCompare[64] = L"";
    wchar_t szHighestVersion[64] = L"";
    wchar_t szHighestCompare[64] = L"";
};

// "%05d.%05d.%05d.%05d" of a "%d.%d.%d.%d" text (missing parts count as 0).
void MakeComparableVersion(const wchar_t* _pszVersion, wchar_t* _pszOut, size_t _cchOut);

extern CVersionHandler g_VersionHandler;
