// The host's message box. Until the host's own box arrives (message box issue), it shows
// the system's MessageBoxW with the product name as caption when none is given.
#pragma once
#include <windows.h>

class CQelMessageBox
{
public:
    CQelMessageBox() = default;
    virtual ~CQelMessageBox() = default;
    int ShowMessageBox(HWND _hWndOwner, const wchar_t* _pszText, const wchar_t* _pszCaption, UINT _uFlags);
};

extern CQelMessageBox g_MessageBox;
