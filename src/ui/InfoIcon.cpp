#include "ui/InfoIcon.h"

#include <cwchar>
#include <shlwapi.h>
#include <strsafe.h>

#include "UiResources.h"
#include "config/ResourceAccess.h"
#include "ui/InfoDialog.h"

namespace {

const UINT ID_SEPARATOR = 1;   // appending this id appends a separator
const int LINK_FONT_HEIGHT = 16;

struct SMenuText
{
    UINT uCommand;
    UINT uTextId;
    const wchar_t* pszDefault;
};

const SMenuText MENU_TEXTS[] = {
    {IDM_TRAY_SETTINGS, 1017, L"Einstellungen"},
    {IDM_TRAY_HELP, 1018, L"Hilfe"},
    {IDM_TRAY_INFO, 1019, L"Info"},
    {IDM_TRAY_PAUSE, 1020, L"Pause"},
    {IDM_TRAY_CONTINUE, 1021, L"Fortsetzen"},
    {IDM_TRAY_EXIT, 1022, L"Beenden"},
};

HFONT CreateLinkFont()
{
    LOGFONTW lf = {};
    lf.lfHeight = LINK_FONT_HEIGHT;
    lf.lfWeight = FW_NORMAL;
    lf.lfUnderline = TRUE;
    return CreateFontIndirectW(&lf);
}

}   // namespace

CInfoIcon::CInfoIcon()
{
    m_hMenuResource.Reset(LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDR_TRAYMENU)));
    m_hMenu = m_hMenuResource ? GetSubMenu(m_hMenuResource.Get(), 0) : nullptr;
    m_hCursorHand = LoadCursorW(nullptr, IDC_HAND);
    m_hCursorArrow = LoadCursorW(nullptr, IDC_ARROW);
    m_crButtonFace = GetSysColor(COLOR_BTNFACE);
    LOGBRUSH lb = {BS_SOLID, m_crButtonFace, 0};
    m_hbrButtonFace.Reset(CreateBrushIndirect(&lb));
    m_hFontLink.Reset(CreateLinkFont());
}

CInfoIcon::~CInfoIcon()
{
    m_hMenu = nullptr;
}

void CInfoIcon::EnableItem(UINT _uId, BOOL _bEnable)
{
    EnableMenuItem(m_hMenu, _uId, MF_BYCOMMAND | (_bEnable ? MF_ENABLED : MF_GRAYED));
}

void CInfoIcon::CheckItem(UINT _uId, BOOL _bCheck)
{
    CheckMenuItem(m_hMenu, _uId, MF_BYCOMMAND | (_bCheck ? MF_CHECKED : MF_UNCHECKED));
}

void CInfoIcon::DeleteItem(UINT _uId)
{
    DeleteMenu(m_hMenu, _uId, MF_BYCOMMAND);
}

int CInfoIcon::FindItemPosition(UINT _uId) const
{
    const int iCount = m_hMenu ? GetMenuItemCount(m_hMenu) : -1;
    for (int i = 0; i < iCount; ++i)
        if (GetMenuItemID(m_hMenu, i) == _uId)
            return i;
    return -1;
}

void CInfoIcon::AppendItem(UINT _uId, const wchar_t* _pszText)
{
    if (_uId == ID_SEPARATOR)
        AppendMenuW(m_hMenu, MF_SEPARATOR, 0, nullptr);
    else
        AppendMenuW(m_hMenu, MF_STRING, _uId, _pszText ? _pszText : L"");
}

void CInfoIcon::InsertItem(UINT _uBeforeId, UINT _uId, const wchar_t* _pszText, BOOL _bSeparator)
{
    if (FindItemPosition(_uId) >= 0)
        return;
    const UINT uPosition = static_cast<UINT>(FindItemPosition(_uBeforeId));   // -1: appended at the end
    if (_bSeparator)
        InsertMenuW(m_hMenu, uPosition, MF_BYPOSITION | MF_SEPARATOR, 0, L"");
    InsertMenuW(m_hMenu, uPosition, MF_BYPOSITION | MF_STRING, _uId, _pszText ? _pszText : L"");
}

void CInfoIcon::ShowItem(UINT _uId, BOOL _bVisible, BOOL _bSeparator, const wchar_t* _pszText)
{
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    const bool bExists = m_hMenu && GetMenuItemInfoW(m_hMenu, _uId, FALSE, &info);
    if (_bVisible && !bExists)
    {
        if (_bSeparator)
            AppendItem(ID_SEPARATOR, L"");
        AppendItem(_uId, _pszText);
    }
    else if (!_bVisible && bExists)
    {
        const int iPosition = _bSeparator ? FindItemPosition(_uId) : -1;
        if (iPosition >= 1)
            DeleteMenu(m_hMenu, iPosition - 1, MF_BYPOSITION);
        DeleteItem(_uId);
    }
}

void CInfoIcon::RemoveItem(UINT _uId, BOOL _bSeparator)
{
    const int iPosition = FindItemPosition(_uId);
    if (iPosition < 0)
        return;
    DeleteMenu(m_hMenu, iPosition, MF_BYPOSITION);
    if (_bSeparator && iPosition >= 1)
        DeleteMenu(m_hMenu, iPosition - 1, MF_BYPOSITION);
}

void CInfoIcon::SetItemText(UINT _uId, const wchar_t* _pszText)
{
    StringCchCopyW(m_szItemText, ARRAYSIZE(m_szItemText), _pszText ? _pszText : L"");
    MENUITEMINFOW info = {};
    info.cbSize = sizeof(info);
    info.fMask = MIIM_STRING;
    info.wID = _uId;
    info.dwTypeData = m_szItemText;
    info.cch = static_cast<UINT>(wcslen(m_szItemText));
    SetMenuItemInfoW(m_hMenu, _uId, FALSE, &info);
}

void CInfoIcon::RemoveServiceItems()
{
    const int iContinue = m_hMenu ? GetMenuPosFromID(m_hMenu, IDM_TRAY_CONTINUE) : -1;
    if (iContinue > 0)
        DeleteMenu(m_hMenu, iContinue + 1, MF_BYPOSITION);
    DeleteItem(IDM_TRAY_PAUSE);
    DeleteItem(IDM_TRAY_CONTINUE);
}

void CInfoIcon::Localize()
{
    if (!m_hMenu)
        return;
    for (const SMenuText& text : MENU_TEXTS)
        g_ResourceAccess.SetMenuText(m_hMenu, text.uCommand, text.uTextId, text.pszDefault);
    EnableMenuItem(m_hMenu, IDM_TRAY_CONTINUE, MF_BYCOMMAND | MF_GRAYED);
    DeleteItem(IDM_TRAY_HELP);
}

void CInfoIcon::ShowInfoDialog()
{
    RunInfoDialog(*this);
}

void CInfoIcon::CloseInfoDialog()
{
    EndInfoDialog();
}

// The tray tooltip for an ERROR status: the product name, then, when it fits within the
// tooltip's 127 characters, the status text (cut with "...") and the hint text.
namespace {

const size_t TIP_CHARS = 127;
const size_t TIP_FRAME_CHARS = 7;   // "\r\n" + "..." + "\r\n"
const size_t STATUS_TEXT_CHARS = 127;

}   // namespace

void CInfoIcon::BuildErrorTip(const wchar_t* _pszProductName, const wchar_t* _pszText, const wchar_t* _pszHint,
                              wchar_t* _pszOut, size_t _cchOut)
{
    if (!_pszOut || _cchOut == 0)
        return;
    const wchar_t* pszProduct = _pszProductName ? _pszProductName : L"";
    const wchar_t* pszHint = _pszHint ? _pszHint : L"";
    const size_t cchText = _pszText ? wcsnlen(_pszText, STATUS_TEXT_CHARS) : 0;
    StringCchCopyW(_pszOut, _cchOut, pszProduct);
    const size_t cchFrame = wcslen(pszProduct) + TIP_FRAME_CHARS + wcslen(pszHint);
    if (cchText == 0 || cchFrame >= TIP_CHARS)
        return;
    const size_t cchRoom = TIP_CHARS - cchFrame;
    StringCchCatW(_pszOut, _cchOut, L"\r\n");
    StringCchCatNW(_pszOut, _cchOut, _pszText, cchText < cchRoom ? cchText : cchRoom);
    if (cchText > cchRoom)
        StringCchCatW(_pszOut, _cchOut, L"...");
    StringCchCatW(_pszOut, _cchOut, L"\r\n");
    StringCchCatW(_pszOut, _cchOut, pszHint);
}
