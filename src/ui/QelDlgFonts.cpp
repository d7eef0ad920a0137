#include "ui/QelDlgFonts.h"

#include <cwchar>
#include <cwctype>
#include <strsafe.h>

#include "bus/MessageFilter.h"
#include "ui/QelDlgColors.h"

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

}   // namespace

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

// The shared handler of the host's windows: colour messages and owner-drawn controls.
namespace {

const LONG_PTR USERDATA_HIGHLIGHT = 2;       // a static control drawn in the highlight colour
const LONG_PTR USERDATA_CHECKBOX = 0x3;      // bits 1 or 2: a check box
const LONG_PTR USERDATA_RADIO = 0x4;         // bit 4: a radio button
const DWORD USERDATA_CHECKED = 0x80000000;   // top bit: the box is checked
const int CHECK_SIZE = 14;
const int FRAME_WIDTH = 2;
const int TEXT_CHARS = 256;

COLORREF Color(EQelColor _eColor)
{
    return g_DlgColors.GetColor(_eColor);
}
HBRUSH Brush(EQelBrush _eBrush)
{
    return g_DlgColors.GetBrush(_eBrush);
}
LRESULT BrushResult(EQelBrush _eBrush)
{
    return reinterpret_cast<LRESULT>(Brush(_eBrush));
}

bool IsClass(HWND _hWnd, const wchar_t* _pszClass)
{
    wchar_t szClass[32] = L"";
    return GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass)) > 0 && _wcsicmp(szClass, _pszClass) == 0;
}

LRESULT OnStaticColor(HDC _hdc, HWND _hWndControl)
{
    const bool bHighlight = GetWindowLongPtrW(_hWndControl, GWLP_USERDATA) == USERDATA_HIGHLIGHT;
    SetTextColor(_hdc, Color(bHighlight ? QEL_COLOR_HIGHLIGHTTEXT : QEL_COLOR_TEXT));
    SetBkColor(_hdc, Color(QEL_COLOR_BACKGROUND));
    SetBkMode(_hdc, TRANSPARENT);
    return BrushResult(QEL_BRUSH_BACKGROUND);
}

// A 2-pixel frame just outside the edit control's client area, in its non-client border.
void DrawEditFrame(HWND _hWndEdit)
{
    RECT rcWindow = {};
    RECT rcClient = {};
    POINT ptOrigin = {0, 0};
    if (!GetWindowRect(_hWndEdit, &rcWindow) || !GetClientRect(_hWndEdit, &rcClient) ||
        !ClientToScreen(_hWndEdit, &ptOrigin))
        return;
    OffsetRect(&rcClient, ptOrigin.x - rcWindow.left, ptOrigin.y - rcWindow.top);
    HDC hdc = GetWindowDC(_hWndEdit);
    if (!hdc)
        return;
    const HBRUSH hbr = Brush(GetFocus() == _hWndEdit ? QEL_BRUSH_FOCUSFRAME : QEL_BRUSH_FRAME);
    for (int i = 0; i < FRAME_WIDTH && hbr; ++i)
    {
        InflateRect(&rcClient, 1, 1);
        FrameRect(hdc, &rcClient, hbr);
    }
    ReleaseDC(_hWndEdit, hdc);
}

LRESULT OnEditColor(HDC _hdc, HWND _hWndControl)
{
    if (IsClass(_hWndControl, L"Edit"))
        DrawEditFrame(_hWndControl);
    SetBkColor(_hdc, Color(QEL_COLOR_FIELDBACK));
    return BrushResult(QEL_BRUSH_FIELDBACK);
}

void DrawText(HDC _hdc, const wchar_t* _pszText, RECT _rc, COLORREF _crText, UINT _uFormat)
{
    SetTextColor(_hdc, _crText);
    SetBkMode(_hdc, TRANSPARENT);
    DrawTextW(_hdc, _pszText, -1, &_rc, _uFormat);
}

COLORREF ButtonTextColor(const DRAWITEMSTRUCT& _item)
{
    return Color((_item.itemState & ODS_DISABLED) ? QEL_COLOR_DISABLEDTEXT : QEL_COLOR_TEXT);
}

// Check box and radio button: the box at the left, the text right of it.
void DrawCheckButton(const DRAWITEMSTRUCT& _item, const wchar_t* _pszText, DWORD _dwUserData, bool _bRadio)
{
    const HBRUSH hbrBack = Brush(QEL_BRUSH_BACKGROUND);
    if (hbrBack)
        FillRect(_item.hDC, &_item.rcItem, hbrBack);
    const int iHeight = _item.rcItem.bottom - _item.rcItem.top;
    const int iTop = _bRadio ? _item.rcItem.top : _item.rcItem.top + (iHeight - CHECK_SIZE) / 2;
    RECT rcBox = {_item.rcItem.left, iTop, _item.rcItem.left + CHECK_SIZE, iTop + CHECK_SIZE};
    UINT uState =
        (_bRadio ? DFCS_BUTTONRADIO : DFCS_BUTTONCHECK) | ((_dwUserData & USERDATA_CHECKED) ? DFCS_CHECKED : 0);
    DrawFrameControl(_item.hDC, &rcBox, DFC_BUTTON, uState);
    RECT rcText = _item.rcItem;
    rcText.left += CHECK_SIZE + 4;
    if (_bRadio)
        DrawText(_item.hDC, _pszText, rcText, Color(QEL_COLOR_TEXT), DT_WORDBREAK);
    else
        DrawText(_item.hDC, _pszText, rcText, ButtonTextColor(_item), DT_SINGLELINE | DT_VCENTER);
}

void DrawPushButton(const DRAWITEMSTRUCT& _item, const wchar_t* _pszText)
{
    const HBRUSH hbr = Brush((_item.itemState & ODS_SELECTED) ? QEL_BRUSH_BUTTONPRESSED : QEL_BRUSH_BUTTONFACE);
    if (hbr)
        FillRect(_item.hDC, &_item.rcItem, hbr);
    DrawText(_item.hDC, _pszText, _item.rcItem, ButtonTextColor(_item), DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (_item.itemState & ODS_FOCUS)
    {
        RECT rcFocus = _item.rcItem;
        InflateRect(&rcFocus, -3, -3);
        DrawFocusRect(_item.hDC, &rcFocus);
    }
}

void DrawButton(const DRAWITEMSTRUCT& _item)
{
    wchar_t szText[TEXT_CHARS] = L"";
    GetWindowTextW(_item.hwndItem, szText, ARRAYSIZE(szText));
    const DWORD dwUserData = static_cast<DWORD>(GetWindowLongPtrW(_item.hwndItem, GWLP_USERDATA));
    if (dwUserData & USERDATA_CHECKBOX)
        DrawCheckButton(_item, szText, dwUserData, false);
    else if (dwUserData & USERDATA_RADIO)
        DrawCheckButton(_item, szText, dwUserData, true);
    else
        DrawPushButton(_item, szText);
}

// The text of a list or combo box item: the box's own string when it keeps strings, else
// the string its item data points to (the host's own windows fill it so).
const wchar_t* ItemText(const DRAWITEMSTRUCT& _item, UINT _uGetLength, UINT _uGetText, DWORD _dwHasStrings,
                        wchar_t* _pszBuffer, size_t _cchBuffer)
{
    _pszBuffer[0] = 0;
    if (!(GetWindowLongW(_item.hwndItem, GWL_STYLE) & _dwHasStrings))
        return _item.itemData ? reinterpret_cast<const wchar_t*>(_item.itemData) : L"";
    const LRESULT lLength = SendMessageW(_item.hwndItem, _uGetLength, _item.itemID, 0);
    if (lLength >= 0 && static_cast<size_t>(lLength) < _cchBuffer)
        SendMessageW(_item.hwndItem, _uGetText, _item.itemID, reinterpret_cast<LPARAM>(_pszBuffer));
    return _pszBuffer;
}

void DrawComboItem(const DRAWITEMSTRUCT& _item)
{
    wchar_t szText[TEXT_CHARS];
    const wchar_t* pszText = ItemText(_item, CB_GETLBTEXTLEN, CB_GETLBTEXT, CBS_HASSTRINGS, szText, ARRAYSIZE(szText));
    const bool bSelected = (_item.itemState & ODS_SELECTED) != 0;
    const HBRUSH hbr = Brush(bSelected ? QEL_BRUSH_SELECTION : QEL_BRUSH_FIELDBACK);
    if (hbr)
        FillRect(_item.hDC, &_item.rcItem, hbr);
    const bool bRight = (GetWindowLongW(_item.hwndItem, GWL_EXSTYLE) & WS_EX_RIGHT) != 0;
    RECT rcText = _item.rcItem;
    UINT uFormat = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    if (bRight)
    {
        rcText.right -= 3;
        uFormat |= DT_RIGHT;
    }
    else
        rcText.left += 2;
    DrawText(_item.hDC, pszText, rcText, bSelected ? RGB(255, 255, 255) : Color(QEL_COLOR_LISTTEXT), uFormat);
    if (_item.itemState & ODS_FOCUS)
        DrawFocusRect(_item.hDC, &_item.rcItem);
}

void DrawListItem(const DRAWITEMSTRUCT& _item)
{
    if (static_cast<int>(_item.itemID) < 0)
        return;
    wchar_t szText[TEXT_CHARS];
    const wchar_t* pszText = ItemText(_item, LB_GETTEXTLEN, LB_GETTEXT, LBS_HASSTRINGS, szText, ARRAYSIZE(szText));
    const bool bSelected = (_item.itemState & ODS_SELECTED) != 0;
    SetBkColor(_item.hDC, bSelected ? QEL_SELECTION_COLOR : Color(QEL_COLOR_FIELDBACK));
    ExtTextOutW(_item.hDC, 0, 0, ETO_OPAQUE, &_item.rcItem, nullptr, 0, nullptr);   // fills the rectangle
    DrawText(_item.hDC, pszText, _item.rcItem, bSelected ? RGB(255, 255, 255) : Color(QEL_COLOR_LISTTEXT),
             DT_SINGLELINE | DT_VCENTER);
    if (_item.itemState & ODS_FOCUS)
        DrawFocusRect(_item.hDC, &_item.rcItem);
}

void OnDrawItem(const DRAWITEMSTRUCT* _pItem)
{
    if (!_pItem || !IsWindow(_pItem->hwndItem) || !_pItem->hDC)
        return;
    switch (_pItem->CtlType)
    {
    case ODT_BUTTON: DrawButton(*_pItem); break;
    case ODT_COMBOBOX: DrawComboItem(*_pItem); break;
    case ODT_LISTBOX: DrawListItem(*_pItem); break;
    default: break;
    }
}

}   // namespace

LRESULT CQelDlgFonts::HandleLookMessage(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam) const
{
    const HDC hdc = reinterpret_cast<HDC>(_wParam);
    const HWND hWndControl = reinterpret_cast<HWND>(_lParam);
    switch (_uMsg)
    {
    case WM_CTLCOLORSTATIC: return OnStaticColor(hdc, hWndControl);
    case WM_CTLCOLORDLG: return BrushResult(QEL_BRUSH_BACKGROUND);
    case WM_CTLCOLORLISTBOX: SetBkColor(hdc, Color(QEL_COLOR_FIELDBACK)); return BrushResult(QEL_BRUSH_FIELDBACK);
    case WM_CTLCOLOREDIT: return OnEditColor(hdc, hWndControl);
    case WM_DRAWITEM:
        if (!IsRefusedFromOtherThread(_uMsg))
            OnDrawItem(reinterpret_cast<const DRAWITEMSTRUCT*>(_lParam));
        return 0;
    default: return 0;
    }
}
