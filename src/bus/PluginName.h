// File names of modules as the host commands PLUGINADD and PLUGINREMOVE give them.
#pragma once
#include <cstddef>

// Upper-cases the name (at most 511 characters) and appends ".DLL" when it holds no ".DLL".
void NormalizePluginName(const wchar_t* _pszFile, wchar_t* _pszOut, size_t _cchOut);
// True for a non-empty file name without drive or folder parts.
bool IsPlainFileName(const wchar_t* _pszName);
// True for the normalized form of an empty name (".DLL"), which would match every module.
bool IsEmptyPluginName(const wchar_t* _pszUpperName);
