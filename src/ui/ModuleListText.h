// The module info page's rows as text for the clipboard: a header line, then one line per
// selected row with its three cells, each followed by ";".
#pragma once
#include <windows.h>

// At most this many characters of text, and of each cell.
const size_t MODULE_TEXT_MAX_CHARS = 2047;
const size_t MODULE_CELL_MAX_CHARS = 127;

// The text of the list's selected rows (cut at MODULE_TEXT_MAX_CHARS characters).
void BuildModuleListText(HWND _hWndList, wchar_t* _pszText, size_t _cchText);
// Puts that text on the clipboard as Unicode text, in place of what it held; false when the
// clipboard could not be had.
bool CopyModuleListText(HWND _hWndList, HWND _hWndOwner);
