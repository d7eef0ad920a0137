#include "ui/QelDlgFonts.h"

#include <strsafe.h>
#include <cwchar>
#include <cwctype>

namespace {

const int HEIGHT_SEGOE = 16;
const int HEIGHT_OTHER = 12;
const long SIZE_LIMIT = 1000;   // a point size beyond this is no dialog font; it is cut here

HFONT MakeFont(int _iHeight, const wchar_t* _pszFaceName)
{
    LOGFONTW lf = {};
    lf.lfHeight = _iHeight;
    lf.lfWeight = FW_NORMAL;
    StringCchCopyW(lf.lfFaceName, ARRAYSIZE(lf.lfFaceName), _pszFaceName);   // at most 31 characters
    return CreateFontIndirectW(&lf);
}

} // namespace

CQelDlgFonts::CQelDlgFonts(const wchar_t* _pszFaceName)
{
    CreateFonts(_pszFaceName);
}

int CQelDlgFonts::BaseHeight(const wchar_t* _pszFaceName)
{
    const wchar_t* pszParen = wcschr(_pszFaceName, L'(');
    if (pszParen)
    {
        long lSize = wcstol(pszParen + 1, nullptr, 10);
        if (lSize < 0)
            lSize = 0;
        if (lSize > SIZE_LIMIT)
            lSize = SIZE_LIMIT;
        return static_cast<int>(lSize * 131 / 100);
    }
    return _wcsnicmp(_pszFaceName, L"Segoe UI", 8) == 0 ? HEIGHT_SEGOE : HEIGHT_OTHER;
}

void CQelDlgFonts::CreateFonts(const wchar_t* _pszFaceName)
{
    if (!_pszFaceName || m_hFontNormal || m_hFontMedium || m_hFontLarge)
        return;
    const int iHeight = BaseHeight(_pszFaceName);
    m_hFontNormal.Reset(MakeFont(iHeight, _pszFaceName));
    m_hFontMedium.Reset(MakeFont(iHeight * 12 / 10, _pszFaceName));
    m_hFontLarge.Reset(MakeFont(iHeight * 16 / 10, _pszFaceName));
}

void CQelDlgFonts::ApplyFont(HWND _hWnd, const wchar_t* _pszFaceName)
{
    if (!_pszFaceName || !*_pszFaceName || !IsWindow(_hWnd))
        return;
    CreateFonts(_pszFaceName);
    const HFONT hFont = m_hFontNormal ? GetNormalFont() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
    for (HWND hChild = GetWindow(_hWnd, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
        SendMessageW(hChild, WM_SETFONT, reinterpret_cast<WPARAM>(hFont), TRUE);
}

void CQelDlgFonts::SetFaceName(const wchar_t* _pszFaceName)
{
    StringCchCopyW(m_szFaceName, ARRAYSIZE(m_szFaceName), _pszFaceName ? _pszFaceName : L"");
}
