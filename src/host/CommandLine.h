// The command-line switch and the fields of the shortcut switch.
#pragma once
#include <cstddef>

// 'D', 'I', 'S' or 'U' when the text starts with '-' and a switch letter (either case), else 0.
wchar_t ParseSwitch(const wchar_t* _pszCommandLine);

struct ShortcutFields
{
    wchar_t szMenuFolder[256];
    wchar_t szLinkName[256];
    wchar_t szThird[256];
};
// Splits the text from the fourth character on at "#" (each field at most 255 characters).
ShortcutFields SplitShortcutFields(const wchar_t* _pszCommandLine);
