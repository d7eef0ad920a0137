#include "ui/QelMessageBox.h"

#include <strsafe.h>

#include "base/Handle.h"
#include "base/SentMessage.h"
#include "bus/MessageFilter.h"
#include "config/ResourceAccess.h"
#include "config/VersionTool.h"
#include "ui/ModalLoop.h"
#include "ui/QelDlgColors.h"
#include "ui/WindowDpi.h"

namespace {

const wchar_t BOX_CLASS[] = L"QelMessageBoxClass";
const int BOX_WIDTH = 300;
const int BOX_HEIGHT = 175;
const int TEXT_X = 10;
const int TEXT_Y = 10;
const int TEXT_HEIGHT = 80;
const int BUTTON_X = 100;
const int BUTTON_Y = 100;
const int BUTTON_STEP = 90;
const int BUTTON_WIDTH = 80;
const int BUTTON_HEIGHT = 25;
const int ICON_GAP = 45;
const int ICON_Y = 25;
const int ICON_SIZE = 32;
const int BOX_MARGIN = 100;      // box width = end of the buttons + this
const int TEXT_CUT_ICON = 80;    // text width = box width - this, with an icon
const int TEXT_CUT_PLAIN = 20;   // and without
const int OWNER_OFFSET = 20;
const DWORD BUTTON_STYLE = 0x5000000B;   // visible child, owner-drawn push button
const UINT MAX_BUTTONS = 4;
const int SETTLE_ROUNDS = 7;
const DWORD SETTLE_PAUSE_MS = 100;

struct SButton
{
    int iId;
    UINT uTextId;
    const wchar_t* pszDefault;
};

const SButton BUTTON_OK = {IDOK, 1016, L"OK"};
const SButton BUTTON_CANCEL = {IDCANCEL, 1027, L"Cancel"};
const SButton BUTTON_ABORT = {IDABORT, 1038, L"Abort"};
const SButton BUTTON_RETRY = {IDRETRY, 1039, L"Retry"};
const SButton BUTTON_IGNORE = {IDIGNORE, 1040, L"Ignore"};
const SButton BUTTON_YES = {IDYES, 1041, L"Yes"};
const SButton BUTTON_NO = {IDNO, 1042, L"No"};
const SButton BUTTON_CONTINUE = {IDCONTINUE, 1043, L"Continue"};

struct SButtonSet
{
    UINT uCount;
    const SButton* apButtons[3];
};

// Indexed by flags & 0xF; values 7 to 15 have no buttons.
const SButtonSet BUTTON_SETS[] = {
    {1, {&BUTTON_OK}},
    {2, {&BUTTON_OK, &BUTTON_CANCEL}},
    {3, {&BUTTON_ABORT, &BUTTON_RETRY, &BUTTON_IGNORE}},
    {3, {&BUTTON_YES, &BUTTON_NO, &BUTTON_CANCEL}},
    {2, {&BUTTON_YES, &BUTTON_NO}},
    {2, {&BUTTON_RETRY, &BUTTON_CANCEL}},
    {3, {&BUTTON_CANCEL, &BUTTON_RETRY, &BUTTON_CONTINUE}},
};

bool IsResultId(WORD _wId)
{
    return (_wId >= IDOK && _wId <= IDNO) || _wId == IDCONTINUE;
}

const wchar_t* IconName(UINT _uFlags)
{
    switch (_uFlags & MB_ICONMASK)
    {
    case MB_ICONHAND: return IDI_HAND;
    case MB_ICONQUESTION: return IDI_QUESTION;
    case MB_ICONEXCLAMATION: return IDI_EXCLAMATION;
    case MB_ICONASTERISK: return IDI_ASTERISK;
    default: return nullptr;
    }
}

// The window class of one box; its background brush lives as long as the registration.
class CBoxClass
{
public:
    explicit CBoxClass(WNDPROC _pfnProc) : m_hbrBackground(CreateSolidBrush(g_DlgColors.GetColor(QEL_COLOR_BACKGROUND)))
    {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = _pfnProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        wc.hbrBackground = static_cast<HBRUSH>(m_hbrBackground.Get());
        wc.lpszClassName = BOX_CLASS;
        RegisterClassExW(&wc);
    }
    ~CBoxClass() { UnregisterClassW(BOX_CLASS, GetModuleHandleW(nullptr)); }
    CBoxClass(const CBoxClass&) = delete;
    CBoxClass& operator=(const CBoxClass&) = delete;

private:
    CGdiObject m_hbrBackground;
};

// Lets pending input of the closed box settle without reaching the windows behind it.
void SettleInput()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
    {
    }
    for (int i = 0; i < SETTLE_ROUNDS; ++i)
    {
        while (PeekMessageW(&msg, nullptr, WM_COMMAND, WM_COMMAND, PM_REMOVE) ||
               PeekMessageW(&msg, nullptr, WM_MOUSEFIRST, WM_MOUSELAST, PM_REMOVE) ||
               PeekMessageW(&msg, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(SETTLE_PAUSE_MS);
    }
}

}   // namespace

int CQelMessageBox::ShowMessageBox(HWND _hWndOwner, const wchar_t* _pszText, const wchar_t* _pszCaption, UINT _uFlags)
{
    if (m_hWndBox)
        return 0;   // one box at a time: its state is shared
    const CVersionTool version;
    const wchar_t* pszCaption = (_pszCaption && *_pszCaption) ? _pszCaption : version.GetProductName();
    m_hWndOwner = IsWindow(_hWndOwner) ? _hWndOwner : nullptr;
    m_uFlags = _uFlags;
    g_DlgColors.SetScheme(g_DlgColors.GetScheme());
    int iResult = 0;
    {
        const CBoxClass boxClass(BoxProc);
        if (Build(_pszText ? _pszText : L"", pszCaption))
            iResult = RunModalLoop();
        SettleInput();
    }
    m_hWndBox = nullptr;
    m_hWndText = nullptr;
    m_hWndIcon = nullptr;
    m_hFont.Reset();
    m_uButtonCount = 0;
    for (HWND& hWnd : m_ahWndButtons)
        hWnd = nullptr;
    return iResult;
}

int CQelMessageBox::ShowMessageBoxById(HWND _hWndOwner, UINT _uCaptionId, UINT _uTextId, UINT _uFlags)
{
    wchar_t szCaption[256] = L"";
    if (_uCaptionId)
        StringCchCopyW(szCaption, ARRAYSIZE(szCaption), g_ResourceAccess.GetString(_uCaptionId, L""));
    if (!szCaption[0])
        StringCchCopyW(szCaption, ARRAYSIZE(szCaption), CVersionTool().GetProductName());
    wchar_t szText[1024] = L"";
    StringCchCopyW(szText, ARRAYSIZE(szText), g_ResourceAccess.GetString(_uTextId, L""));
    if (!szCaption[0] || !szText[0])
        return IDCANCEL;
    return ShowMessageBox(_hWndOwner, szText, szCaption, _uFlags | MB_SETFOREGROUND | MB_TOPMOST);
}

bool CQelMessageBox::Build(const wchar_t* _pszText, const wchar_t* _pszCaption)
{
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    m_hWndBox = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOPARENTNOTIFY, BOX_CLASS, _pszCaption, WS_CAPTION, CW_USEDEFAULT,
                                CW_USEDEFAULT, BOX_WIDTH, BOX_HEIGHT, m_hWndOwner, nullptr, hInstance, nullptr);
    if (!m_hWndBox)
        return false;
    m_hWndText = CreateWindowExW(0, L"STATIC", _pszText, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, m_hWndBox, nullptr,
                                 hInstance, nullptr);
    SetWindowTextW(m_hWndText, _pszText);
    CreateButtons();
    m_hWndIcon = CreateIcon();
    SetDpi(GetWindowDpi(m_hWndBox));
    Place();
    FocusDefaultButton();
    UpdateWindow(m_hWndBox);
    return true;
}

void CQelMessageBox::CreateButtons()
{
    const UINT uSet = m_uFlags & MB_TYPEMASK;
    if (uSet >= ARRAYSIZE(BUTTON_SETS))
        return;
    const HINSTANCE hInstance = GetModuleHandleW(nullptr);
    const SButtonSet& set = BUTTON_SETS[uSet];
    for (UINT i = 0; i < set.uCount && m_uButtonCount < MAX_BUTTONS; ++i)
    {
        const SButton& button = *set.apButtons[i];
        const HWND hWnd = CreateWindowExW(
            0, L"BUTTON", g_ResourceAccess.GetString(button.uTextId, button.pszDefault), BUTTON_STYLE, 0, 0, 0, 0,
            m_hWndBox, reinterpret_cast<HMENU>(static_cast<INT_PTR>(button.iId)), hInstance, nullptr);
        if (hWnd)
            m_ahWndButtons[m_uButtonCount++] = hWnd;
    }
}

// The icon right of the buttons; null when the flags ask for none or it cannot be loaded.
HWND CQelMessageBox::CreateIcon()
{
    const wchar_t* pszIcon = IconName(m_uFlags);
    const HICON hIcon =
        pszIcon ? static_cast<HICON>(LoadImageW(nullptr, pszIcon, IMAGE_ICON, ICON_SIZE, ICON_SIZE, LR_SHARED))
                : nullptr;
    if (!hIcon)
        return nullptr;
    const HWND hWndIcon = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, 0, 0, 0, 0, m_hWndBox,
                                          nullptr, GetModuleHandleW(nullptr), nullptr);
    if (hWndIcon)
        SendMessageW(hWndIcon, STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0);
    return hWndIcon;
}

// The box's font and the places of its parts at the DPI; the lengths are given at 96 DPI.
void CQelMessageBox::SetDpi(int _iDpi)
{
    m_iDpi = _iDpi;
    const HFONT hFont = CreateFontAtDpi(g_DlgFonts.GetNormalFont(), _iDpi);
    SetFontOnChildren(m_hWndBox, hFont ? hFont : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)));
    m_hFont.Reset(hFont);
    const int iButtonsEnd = BUTTON_X + BUTTON_STEP * static_cast<int>(m_uButtonCount);
    const int iTextCut = m_hWndIcon ? TEXT_CUT_ICON : TEXT_CUT_PLAIN;
    MoveScaled(m_hWndText, TEXT_X, TEXT_Y, iButtonsEnd + BOX_MARGIN - iTextCut, TEXT_HEIGHT);
    for (UINT i = 0; i < m_uButtonCount; ++i)
        MoveScaled(m_ahWndButtons[i], BUTTON_X + BUTTON_STEP * static_cast<int>(i), BUTTON_Y, BUTTON_WIDTH,
                   BUTTON_HEIGHT);
    if (m_hWndIcon)
        MoveScaled(m_hWndIcon, iButtonsEnd + ICON_GAP, ICON_Y, ICON_SIZE, ICON_SIZE);
}

void CQelMessageBox::MoveScaled(HWND _hWnd, int _x, int _y, int _cx, int _cy) const
{
    MoveWindow(_hWnd, ScaleToDpi(_x, m_iDpi), ScaleToDpi(_y, m_iDpi), ScaleToDpi(_cx, m_iDpi), ScaleToDpi(_cy, m_iDpi),
               TRUE);
}

// Below and right of the owner's top left corner (or the screen's), within the work area.
void CQelMessageBox::Place()
{
    RECT rcOwner = {0, 0, 0, 0};
    if (m_hWndOwner)
        GetWindowRect(m_hWndOwner, &rcOwner);
    const int iWidth = BUTTON_X + BUTTON_STEP * static_cast<int>(m_uButtonCount) + BOX_MARGIN;
    const RECT rcWanted = {rcOwner.left + OWNER_OFFSET, rcOwner.top + OWNER_OFFSET,
                           rcOwner.left + OWNER_OFFSET + ScaleToDpi(iWidth, m_iDpi),
                           rcOwner.top + OWNER_OFFSET + ScaleToDpi(BOX_HEIGHT, m_iDpi)};
    SetBoxRect(FitIntoWorkArea(rcWanted, WorkAreaNear(rcWanted)), SWP_SHOWWINDOW);
}

void CQelMessageBox::SetBoxRect(const RECT& _rc, UINT _uFlags)
{
    SetWindowPos(m_hWndBox, HWND_TOPMOST, _rc.left, _rc.top, _rc.right - _rc.left, _rc.bottom - _rc.top, _uFlags);
}

void CQelMessageBox::OnDpiChanged(WPARAM _wParam, LPARAM _lParam)
{
    int iDpi = m_iDpi;
    RECT rc = {};
    if (!ReadDpiChange(m_hWndBox, _wParam, _lParam, m_iDpi, &iDpi, &rc))
        return;
    SetDpi(iDpi);
    SetBoxRect(rc, SWP_NOACTIVATE);
}

void CQelMessageBox::FocusDefaultButton()
{
    const UINT uDefault = (m_uFlags & MB_DEFMASK) >> 8;
    if (uDefault >= m_uButtonCount)
        return;
    const HWND hWndDefault = m_ahWndButtons[uDefault];
    SendMessageW(hWndDefault, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
    SetFocus(hWndDefault);
}

int CQelMessageBox::RunModalLoop()
{
    // A sender on another thread is not kept waiting for the person's answer.
    AnswerWaitingSender(0);
    MSG msg;
    BOOL bGot;
    while ((bGot = GetMessageW(&msg, nullptr, 0, 0)) != 0 && bGot != -1)
    {
        DispatchInModalLoop(msg, m_hWndBox);
    }
    return bGot == 0 ? static_cast<int>(msg.wParam) : 0;
}

LRESULT CALLBACK CQelMessageBox::BoxProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (IsRefusedFromOtherThread(_uMsg))
        return 0;   // nor does the default handling read lParam
    switch (_uMsg)
    {
    case WM_CLOSE:
        DestroyWindow(_hWnd);
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        if (IsResultId(LOWORD(_wParam)))
        {
            DestroyWindow(_hWnd);
            PostQuitMessage(LOWORD(_wParam));
            return 0;
        }
        break;
    case WM_DPICHANGED:
        if (_hWnd == g_MessageBox.m_hWndBox)
            g_MessageBox.OnDpiChanged(_wParam, _lParam);
        return 0;
    case WM_CTLCOLORSTATIC:
        SetTextColor(reinterpret_cast<HDC>(_wParam), g_DlgColors.GetColor(QEL_COLOR_TEXT));
        SetBkColor(reinterpret_cast<HDC>(_wParam), g_DlgColors.GetColor(QEL_COLOR_BACKGROUND));
        return reinterpret_cast<LRESULT>(g_DlgColors.GetBrush(QEL_BRUSH_BACKGROUND));
    default: break;
    }
    g_DlgFonts.HandleLookMessage(_hWnd, _uMsg, _wParam, _lParam);
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}
