#include "SchemePage.h"

#include <algorithm>
#include <string>
#include <vector>

#include "Languages.h"
#include "PageTexts.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t PAGE_CLASS[] = L"TvrSchemeConfigPage";
const int ID_LANGUAGE = 1001;
const int ID_SCHEME = 1002;
const int ID_FONT = 1003;
const int LABEL_X = 10;
const int FIELD_X = 170;
const int FIELD_WIDTH = 300;
const int COMBO_ITEM_HEIGHT = 20;
const int SCHEME_ITEM_HEIGHT = 30;
const int PREVIEW_WIDTH = 110;
const LONG_PTR USERDATA_HIGHLIGHT = 2;   // the host draws such a static in its highlight colour

HWND g_hWndPage = nullptr;
HFONT g_hFont = nullptr;

// The page's font: the host's dialog font face at the settings window's font height.
HFONT MakePageFont(HWND _hWndParent)
{
    LOGFONTW lf = {};
    const HFONT hParentFont = reinterpret_cast<HFONT>(SendMessageW(_hWndParent, WM_GETFONT, 0, 0));
    if (!hParentFont || !GetObjectW(hParentFont, sizeof(lf), &lf))
        lf.lfHeight = 16;
    lf.lfWeight = FW_NORMAL;
    StringCchCopyW(lf.lfFaceName, ARRAYSIZE(lf.lfFaceName), CurrentLook().szFont);
    return CreateFontIndirectW(&lf);
}

HWND AddControl(const wchar_t* _pszClass, const wchar_t* _pszText, DWORD _dwStyle, int _x, int _y, int _cx, int _cy, int _iId)
{
    const HWND hWnd = CreateWindowExW(0, _pszClass, _pszText, WS_CHILD | WS_VISIBLE | _dwStyle, _x, _y, _cx, _cy, g_hWndPage,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(_iId)), GetPluginModule(), nullptr);
    SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(g_hFont), FALSE);
    return hWnd;
}

int CALLBACK CollectFont(const LOGFONTW* _pFont, const TEXTMETRICW*, DWORD, LPARAM _lNames)
{
    // Vertical variants ("@name") are no dialog fonts.
    if (_pFont->lfFaceName[0] != L'@')
        reinterpret_cast<std::vector<std::wstring>*>(_lNames)->push_back(_pFont->lfFaceName);
    return 1;
}

// The installed font families, sorted, each once, the host's default first.
std::vector<std::wstring> ListFontNames()
{
    std::vector<std::wstring> vecNames;
    LOGFONTW lf = {};
    lf.lfCharSet = DEFAULT_CHARSET;
    const HDC hdc = GetDC(nullptr);
    EnumFontFamiliesExW(hdc, &lf, CollectFont, reinterpret_cast<LPARAM>(&vecNames), 0);
    ReleaseDC(nullptr, hdc);
    std::sort(vecNames.begin(), vecNames.end());
    vecNames.erase(std::unique(vecNames.begin(), vecNames.end()), vecNames.end());
    vecNames.erase(std::remove(vecNames.begin(), vecNames.end(), std::wstring(DEFAULT_FONT)), vecNames.end());
    vecNames.insert(vecNames.begin(), DEFAULT_FONT);
    return vecNames;
}

// Selects the current name (or, when it is not offered, adds it).
void SelectInCombo(HWND _hWndCombo, const wchar_t* _pszCurrent)
{
    LRESULT lIndex = SendMessageW(_hWndCombo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(_pszCurrent));
    if (lIndex == CB_ERR && _pszCurrent[0] != 0)
        lIndex = SendMessageW(_hWndCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(_pszCurrent));
    SendMessageW(_hWndCombo, CB_SETCURSEL, lIndex == CB_ERR ? 0 : static_cast<WPARAM>(lIndex), 0);
}

void FillCombo(HWND _hWndCombo, const std::vector<std::wstring>& _vecNames)
{
    for (const std::wstring& strName : _vecNames)
        SendMessageW(_hWndCombo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(strName.c_str()));
}

void CreateControls()
{
    const DWORD dwCombo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS;
    const HWND hWndHeading = AddControl(L"STATIC", PageText(TEXT_HEADING), 0, LABEL_X, 5, 460, 24, -1);
    SetWindowLongPtrW(hWndHeading, GWLP_USERDATA, USERDATA_HIGHLIGHT);
    AddControl(L"STATIC", PageText(TEXT_LANGUAGE), 0, LABEL_X, 44, 150, 22, -1);
    const HWND hWndLanguage = AddControl(L"COMBOBOX", L"", dwCombo, FIELD_X, 40, FIELD_WIDTH, 200, ID_LANGUAGE);
    FillCombo(hWndLanguage, ListLanguageNames());

    AddControl(L"STATIC", PageText(TEXT_SCHEME), 0, LABEL_X, 82, 150, 22, -1);
    const HWND hWndScheme = AddControl(L"LISTBOX", L"",
                                       WS_TABSTOP | WS_BORDER | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, FIELD_X, 80,
                                       FIELD_WIDTH, SCHEME_ITEM_HEIGHT * TELVARIN_SCHEME_COUNT + 4, ID_SCHEME);
    for (int i = 0; i < TELVARIN_SCHEME_COUNT; ++i)
        SendMessageW(hWndScheme, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PageText(TEXT_SCHEME_FIRST + i)));

    const int yFont = 80 + SCHEME_ITEM_HEIGHT * TELVARIN_SCHEME_COUNT + 20;
    AddControl(L"STATIC", PageText(TEXT_FONT), 0, LABEL_X, yFont + 4, 150, 22, -1);
    const HWND hWndFont = AddControl(L"COMBOBOX", L"", dwCombo, FIELD_X, yFont, FIELD_WIDTH, 300, ID_FONT);
    FillCombo(hWndFont, ListFontNames());
    AddControl(L"STATIC", PageText(TEXT_NOTE), 0, LABEL_X, yFont + 50, 460, 40, -1);
}

// A small picture of a scheme: its pane strip, its background with text, and a button.
void DrawPreview(HDC _hdc, const RECT& _rcItem, UINT _uScheme)
{
    RECT rc = {_rcItem.right - PREVIEW_WIDTH - 6, _rcItem.top + 4, _rcItem.right - 6, _rcItem.bottom - 4};
    const auto fill = [&](RECT _rc, int _iColor) {
        const HBRUSH hbr = CreateSolidBrush(GetSchemeColor(_uScheme, _iColor));
        FillRect(_hdc, &_rc, hbr);
        DeleteObject(hbr);
    };
    fill(rc, SCHEME_COLOR_BACKGROUND);
    fill(RECT{rc.left, rc.top, rc.left + 20, rc.bottom}, SCHEME_COLOR_PANEBACK);
    fill(RECT{rc.right - 40, rc.top + 3, rc.right - 4, rc.bottom - 3}, SCHEME_COLOR_BUTTONFACE);
    SetBkMode(_hdc, TRANSPARENT);
    SetTextColor(_hdc, GetSchemeColor(_uScheme, SCHEME_COLOR_TEXT));
    RECT rcText = {rc.left + 24, rc.top, rc.right - 44, rc.bottom};
    DrawTextW(_hdc, L"Aa", -1, &rcText, DT_SINGLELINE | DT_VCENTER | DT_CENTER | DT_NOPREFIX);
    FrameRect(_hdc, &rc, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
}

LRESULT OnDrawItem(HWND _hWnd, WPARAM _wParam, const DRAWITEMSTRUCT* _pItem)
{
    // The host draws combo and list items in its scheme; the scheme list adds its previews.
    SendMessageW(GetParent(_hWnd), WM_DRAWITEM, _wParam, reinterpret_cast<LPARAM>(_pItem));
    if (_pItem->CtlID == ID_SCHEME && static_cast<int>(_pItem->itemID) >= 0)
        DrawPreview(_pItem->hDC, _pItem->rcItem, _pItem->itemID);
    return TRUE;
}

void OnMeasureItem(MEASUREITEMSTRUCT* _pItem)
{
    _pItem->itemHeight = _pItem->CtlID == ID_SCHEME ? SCHEME_ITEM_HEIGHT : COMBO_ITEM_HEIGHT;
}

void OnCommand(HWND _hWnd, WPARAM _wParam)
{
    const WORD wId = LOWORD(_wParam);
    if (wId == IDOK || wId == IDCANCEL)
    {
        DestroyWindow(_hWnd);
        return;
    }
    const WORD wCode = HIWORD(_wParam);
    if ((wId == ID_LANGUAGE || wId == ID_FONT) ? wCode == CBN_SELCHANGE : (wId == ID_SCHEME && wCode == LBN_SELCHANGE))
        PostMessageW(FindHostMainWindow(), WM_QEL_CONFIGCHANGED, 0, 0);
}

LRESULT CALLBACK PageProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    switch (_uMsg)
    {
    case WM_DRAWITEM: return OnDrawItem(_hWnd, _wParam, reinterpret_cast<const DRAWITEMSTRUCT*>(_lParam));
    case WM_MEASUREITEM: OnMeasureItem(reinterpret_cast<MEASUREITEMSTRUCT*>(_lParam)); return TRUE;
    case WM_COMMAND: OnCommand(_hWnd, _wParam); return 0;
    case WM_DESTROY:
        g_hWndPage = nullptr;
        return 0;
    case WM_NCDESTROY:
        DeleteObject(g_hFont);
        g_hFont = nullptr;
        return 0;
    default: return DefSettingsPageProc(_hWnd, _uMsg, _wParam, _lParam);
    }
}

std::wstring ComboText(int _iId)
{
    const HWND hWndCombo = GetDlgItem(g_hWndPage, _iId);
    const LRESULT lIndex = SendMessageW(hWndCombo, CB_GETCURSEL, 0, 0);
    const LRESULT lLength = SendMessageW(hWndCombo, CB_GETLBTEXTLEN, static_cast<WPARAM>(lIndex), 0);
    if (lIndex == CB_ERR || lLength == CB_ERR)
        return L"";
    std::wstring strText(static_cast<size_t>(lLength) + 1, L'\0');
    SendMessageW(hWndCombo, CB_GETLBTEXT, static_cast<WPARAM>(lIndex), reinterpret_cast<LPARAM>(&strText[0]));
    strText.resize(static_cast<size_t>(lLength));
    return strText;
}

} // namespace

HWND CreateSchemePage(HWND _hWndParent)
{
    if (g_hWndPage)
        DestroyWindow(g_hWndPage);
    g_hFont = MakePageFont(_hWndParent);
    g_hWndPage = CreateSettingsPage(_hWndParent, PAGE_CLASS, PageProc, 500, 400);
    if (!g_hWndPage)
    {
        DeleteObject(g_hFont);
        g_hFont = nullptr;
        return nullptr;
    }
    CreateControls();
    ShowLookOnPage();
    return g_hWndPage;
}

void ShowLookOnPage()
{
    if (!g_hWndPage)
        return;
    SelectInCombo(GetDlgItem(g_hWndPage, ID_LANGUAGE), CurrentLanguageName().c_str());
    SelectInCombo(GetDlgItem(g_hWndPage, ID_FONT), CurrentLook().szFont);
    const UINT uScheme = CurrentLook().uScheme;
    SendMessageW(GetDlgItem(g_hWndPage, ID_SCHEME), LB_SETCURSEL, uScheme < TELVARIN_SCHEME_COUNT ? uScheme : 0, 0);
}

bool GetPageChoice(SSchemeChoice* _pChoice)
{
    if (!g_hWndPage)
        return false;
    const LRESULT lScheme = SendMessageW(GetDlgItem(g_hWndPage, ID_SCHEME), LB_GETCURSEL, 0, 0);
    _pChoice->uScheme = lScheme == LB_ERR ? CurrentLook().uScheme : static_cast<UINT>(lScheme);
    StringCchCopyW(_pChoice->szFont, ARRAYSIZE(_pChoice->szFont), ComboText(ID_FONT).c_str());
    StringCchCopyW(_pChoice->szLanguage, ARRAYSIZE(_pChoice->szLanguage), ComboText(ID_LANGUAGE).c_str());
    return true;
}
