// Tray icon and tray menu. The shell-facing bodies arrive with the tray issue; until
// then every operation does nothing, as the icon operations do while the icon is disabled.
#pragma once
#include <windows.h>

class CInfoIcon
{
public:
    CInfoIcon() = default;
    virtual ~CInfoIcon() = default;
    void SetEnabled(BOOL _bEnabled) { m_bEnabled = _bEnabled; }
    BOOL IsEnabled() const { return m_bEnabled; }
    void Create(HINSTANCE, HWND, UINT, UINT, UINT, UINT, UINT) {}
    void SetTip(const wchar_t*) {}
    void SetState(int) {}
    void RemoveServiceItems() {}
    void Show(BOOL) {}
    void Refresh() {}
    int IsPresent() const { return 1; }
    void EnableItem(UINT, BOOL) {}
    void InsertItem(UINT, UINT, const wchar_t*, BOOL) {}
    void ShowItem(UINT, BOOL, BOOL, const wchar_t*) {}
    void SetItemText(UINT, const wchar_t*) {}
    void RemoveItem(UINT, BOOL) {}
    void CheckItem(UINT, BOOL) {}
    HICON GetIcon(int) const { return nullptr; }
    void ShowMenu() {}
    void Localize() {}
    void ShowInfoDialog() {}
    void CloseInfoDialog() {}
    // The error tooltip: ProductName, then when it fits "\r\n", Text cut with "...", "\r\n", hint.
    static void BuildErrorTip(const wchar_t* _pszProductName, const wchar_t* _pszText, const wchar_t* _pszHint,
                              wchar_t* _pszOut, size_t _cchOut);
private:
    BOOL m_bEnabled = FALSE;
};

extern CInfoIcon g_InfoIcon;
