// The paths of the program file, of loaded modules and of files beside the program.
#pragma once
#include <windows.h>

#include <string>

// Full path of a loaded module's file (nullptr: the program file), however long; empty when
// the system cannot tell it.
std::wstring GetModulePath(HMODULE _hModule = nullptr);
// The same into a buffer; false (and an empty result) when the path is unknown or does not fit.
bool CopyModulePath(HMODULE _hModule, wchar_t* _pszOut, size_t _cchOut);
// Drive and folder of the program file with the trailing backslash; empty when unknown.
std::wstring GetProgramFolder();
// The program folder with a trailing backslash followed by _pszRelative; false (and an
// empty result) when the path does not fit.
bool BuildProgramPath(const wchar_t* _pszRelative, wchar_t* _pszOut, size_t _cchOut);
// True when a file (not a folder) of that name exists.
bool FileExists(const wchar_t* _pszPath);
