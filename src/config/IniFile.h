// The encoding of the store's INI files. The profile functions write a file that begins
// with a UTF-16LE byte-order mark in Unicode and any other file in the ANSI code page.
#pragma once

// Gives a missing or empty file the UTF-16LE byte-order mark, so that every character
// written to it later is kept. A file that cannot be created or opened is left alone.
void CreateUnicodeIniFile(const wchar_t* _pszFile);
// True when the file exists and does not begin with the UTF-16LE byte-order mark: the
// profile functions keep only what the ANSI code page can hold there.
bool IsAnsiIniFile(const wchar_t* _pszFile);
// True when every character of the text survives the ANSI code page unchanged.
bool FitsAnsiCodePage(const wchar_t* _pszText);
