// The dialog fonts shared by the host's windows (normal, medium, large) and the one handler
// that answers the colour messages and draws the owner-drawn controls of those windows.
#pragma once
#include <windows.h>

#include "base/Handle.h"

class CQelDlgFonts
{
public:
    explicit CQelDlgFonts(const wchar_t* _pszFaceName = L"Segoe UI");
    virtual ~CQelDlgFonts() = default;
    CQelDlgFonts(const CQelDlgFonts&) = delete;
    CQelDlgFonts& operator=(const CQelDlgFonts&) = delete;

    // Makes the three fonts from a face name once; later calls keep the fonts there are.
    void CreateFonts(const wchar_t* _pszFaceName);
    // Gives a window and its direct children the normal font (nothing for an empty name).
    void ApplyFont(HWND _hWnd, const wchar_t* _pszFaceName);
    HFONT GetNormalFont() const { return static_cast<HFONT>(m_hFontNormal.Get()); }
    HFONT GetMediumFont() const { return static_cast<HFONT>(m_hFontMedium.Get()); }
    HFONT GetLargeFont() const { return static_cast<HFONT>(m_hFontLarge.Get()); }
    // The configured dialog font name that the host's windows apply ("Segoe UI" at start).
    void SetFaceName(const wchar_t* _pszFaceName);
    const wchar_t* GetFaceName() const { return m_szFaceName; }

    // Colour messages and WM_DRAWITEM of the host's windows; 0 for every other message.
    LRESULT HandleLookMessage(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam) const;
    // The base font height a face name gives: "(n)" in the name gives n * 1.31, a name that
    // begins with "Segoe UI" 16, any other 12.
    static int BaseHeight(const wchar_t* _pszFaceName);

private:
    CGdiObject m_hFontNormal;
    CGdiObject m_hFontMedium;
    CGdiObject m_hFontLarge;
    wchar_t m_szFaceName[128] = L"Segoe UI";
};

extern CQelDlgFonts g_DlgFonts;
