// The program entry: set-up, command-line switch, main window, start decision, run; the
// command-line fields and the help file name it uses.
#pragma once
#include <windows.h>
#include <cstddef>

// The program entry: set-up, command-line switch, main window, start decision, run.
int HostEntry(HINSTANCE _hInstance, const wchar_t* _pszCommandLine);

// The command-line switch and the fields of the shortcut switch.
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

// The help file name: the product name without blanks, upper-cased, plus ".CHM",
// when such a file is in the current directory, the program folder or HELP below the
// Windows folder; else "QELMARIS.CHM".
void BuildHelpFileName(const wchar_t* _pszProductName, wchar_t* _pszOut, size_t _cchOut);
