// Small bounded path operations of the configuration store.
#pragma once
#include <cstddef>

// Base name of a file path: no folder, no extension.
void CopyBaseName(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut);
// The folder of a file path with its trailing backslash.
void CopyFolderOf(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut);
// The path with its last three characters replaced by "INI" (X:\f\name.exe gives X:\f\name.INI).
void CopyIniPathOf(const wchar_t* _pszPath, wchar_t* _pszOut, size_t _cchOut);
// Appends a backslash unless the text is empty or already ends in one.
void AppendBackslash(wchar_t* _pszPath, size_t _cchPath);
// Creates every missing folder along an absolute path.
void CreateFolderPath(const wchar_t* _pszFolder);
