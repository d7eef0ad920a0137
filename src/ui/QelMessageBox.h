// The host's own message box: MessageBoxW's arguments and result codes for the button sets
// 0 to 6, drawn in the current colour scheme and font, with its own modal loop on the
// calling thread. One box at a time.
#pragma once
#include <windows.h>

#include "base/Handle.h"

class CQelMessageBox
{
public:
    CQelMessageBox() = default;
    virtual ~CQelMessageBox() = default;
    CQelMessageBox(const CQelMessageBox&) = delete;
    CQelMessageBox& operator=(const CQelMessageBox&) = delete;

    // The pressed button's id, 0 when the box was closed. No caption: the product name.
    int ShowMessageBox(HWND _hWndOwner, const wchar_t* _pszText, const wchar_t* _pszCaption, UINT _uFlags);
    // Caption and text from language texts; 2 (Cancel) without a box when either is empty.
    int ShowMessageBoxById(HWND _hWndOwner, UINT _uCaptionId, UINT _uTextId, UINT _uFlags);
    // The open box; null when none is open.
    HWND GetBoxWindow() const { return m_hWndBox; }

private:
    static LRESULT CALLBACK BoxProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    bool Build(const wchar_t* _pszText, const wchar_t* _pszCaption);
    void CreateButtons();
    HWND CreateIcon();
    void SetDpi(int _iDpi);
    void MoveScaled(HWND _hWnd, int _x, int _y, int _cx, int _cy) const;
    void Place();
    void SetBoxRect(const RECT& _rc, UINT _uFlags);
    void OnDpiChanged(WPARAM _wParam, LPARAM _lParam);
    void FocusDefaultButton();
    int RunModalLoop();

    HWND m_hWndOwner = nullptr;
    UINT m_uFlags = 0;
    HWND m_ahWndButtons[4] = {};
    UINT m_uButtonCount = 0;
    HWND m_hWndBox = nullptr;
    HWND m_hWndText = nullptr;
    HWND m_hWndIcon = nullptr;
    int m_iDpi = 96;
    CGdiObject m_hFont;   // the normal dialog font at the box's DPI
};

extern CQelMessageBox g_MessageBox;
