// The rows of the module info page's list view: a name with its check picture and module,
// the product and file version, and the selected rows as text for the clipboard (a header
// line, then per row its three cells, each followed by ";").
#pragma once
#include <windows.h>

// At most this many characters of text, and of each cell.
const size_t MODULE_TEXT_MAX_CHARS = 2047;
const size_t MODULE_CELL_MAX_CHARS = 127;

// Adds a row at the end; the version cells carry no picture of their own.
void AddModuleRow(HWND _hWndList, const wchar_t* _pszName, const wchar_t* _pszProduct, const wchar_t* _pszFile,
                  int _iImage, HMODULE _hModule);
// The row's picture, -1 for a row that does not exist.
int GetModuleRowImage(HWND _hWndList, int _iRow);
void SetModuleRowImage(HWND _hWndList, int _iRow, int _iImage);
// The row's module; null for the main program and for a row that does not exist.
HMODULE GetModuleRowModule(HWND _hWndList, int _iRow);
// True when a row's name equals the name, whatever its case.
bool HasModuleRowNamed(HWND _hWndList, const wchar_t* _pszName);
// The text of the selected rows (cut at MODULE_TEXT_MAX_CHARS characters).
void BuildModuleListText(HWND _hWndList, wchar_t* _pszText, size_t _cchText);
// Puts that text on the clipboard as Unicode text, in place of what it held; false when the
// clipboard could not be had.
bool CopyModuleListText(HWND _hWndList, HWND _hWndOwner);
