// The host's tray icon with its popup menu (menu 131), which plug-ins extend at run time, and
// the objects the program information dialog borrows: hand cursor, link font, background brush.
#pragma once
#include <windows.h>

#include "base/Handle.h"
#include "ui/TrayIcon.h"

class CInfoIcon : public CTrayIcon
{
public:
    CInfoIcon();
    ~CInfoIcon() override;

    void EnableItem(UINT _uId, BOOL _bEnable);
    void CheckItem(UINT _uId, BOOL _bCheck);
    void DeleteItem(UINT _uId);
    // Position of the first item with the id; -1 when there is none.
    int FindItemPosition(UINT _uId) const;
    // Id 1 appends a separator, any other id a text item.
    void AppendItem(UINT _uId, const wchar_t* _pszText);
    // Puts a new item (and a separator below it) above the item _uBeforeId; never a duplicate.
    void InsertItem(UINT _uBeforeId, UINT _uId, const wchar_t* _pszText, BOOL _bSeparator);
    void ShowItem(UINT _uId, BOOL _bVisible, BOOL _bSeparator, const wchar_t* _pszText);
    void RemoveItem(UINT _uId, BOOL _bSeparator);
    void SetItemText(UINT _uId, const wchar_t* _pszText);
    // Tray mode has no pause and continue items.
    void RemoveServiceItems();
    // The fixed items in the current language; "Continue" greyed, "Help" removed.
    void Localize();
    void ShowInfoDialog();
    void CloseInfoDialog();
    HMENU GetMenu() const { return m_hMenu; }

    HCURSOR GetHandCursor() const { return m_hCursorHand; }
    HCURSOR GetArrowCursor() const { return m_hCursorArrow; }
    COLORREF GetButtonFaceColor() const { return m_crButtonFace; }
    HBRUSH GetButtonFaceBrush() const { return static_cast<HBRUSH>(m_hbrButtonFace.Get()); }
    HFONT GetLinkFont() const { return static_cast<HFONT>(m_hFontLink.Get()); }

    // The error tooltip: ProductName, then when it fits "\r\n", Text cut with "...", "\r\n", hint.
    static void BuildErrorTip(const wchar_t* _pszProductName, const wchar_t* _pszText, const wchar_t* _pszHint,
                              wchar_t* _pszOut, size_t _cchOut);

private:
    CMenuHandle m_hMenuResource;   // the tray menu's resource; m_hMenu is its first submenu
    HCURSOR m_hCursorHand = nullptr;
    HCURSOR m_hCursorArrow = nullptr;
    COLORREF m_crButtonFace = 0;
    CGdiObject m_hbrButtonFace;
    CGdiObject m_hFontLink;
    wchar_t m_szItemText[256] = L"";
};

extern CInfoIcon g_InfoIcon;
