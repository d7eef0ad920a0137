// The per-user data folder rules behind GetUserDataFolder (declared in RegIniAccess.h).
#pragma once
#include <cstddef>

// Appends one version-resource text as a folder name with a trailing backslash: a text
// shorter than 2 characters is skipped; one trailing blank is cut off, and a text that
// still ends in a blank is skipped; every other blank is removed.
void AppendPathPart(wchar_t* _pszPath, size_t _cchPath, const wchar_t* _pszPart);
// True for the configuration programs "QELCONFIG" and "TVRCONFIG" (any case), which keep
// their data beside the program.
bool IsConfigToolName(const wchar_t* _pszBaseName);

// What the folder is made of: the user name as read (empty, SYSTEM or a name), the
// program file and its product name and file description.
struct SUserDataSource
{
    const wchar_t* pszUserName;
    const wchar_t* pszProgramFile;
    const wchar_t* pszProductName;
    const wchar_t* pszFileDescription;
};

// With a user (not SYSTEM, not a configuration program): <roaming application data>\orvex
// \<product>\<description>\<sub>; otherwise <program folder>\<sub>. No trailing backslash.
void BuildUserDataFolder(const SUserDataSource& _source, const wchar_t* _pszSubFolder, wchar_t* _pszOut,
                         size_t _cchOut);
