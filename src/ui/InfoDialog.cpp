#include "ui/InfoDialog.h"

#include <objbase.h>
#include <shellapi.h>
#include <strsafe.h>

#include "base/Handle.h"
#include "base/SecurityAttributes.h"
#include "base/SentMessage.h"
#include "bus/MessageFilter.h"
#include "config/ResourceAccess.h"
#include "config/VersionTool.h"
#include "ui/InfoIcon.h"
#include "ui/ModalLoop.h"
#include "ui/QelConfig.h"
#include "ui/WindowDpi.h"
#include "UiResources.h"

const wchar_t INFO_MAKER_ADDRESS[] = L"www.orvex.example";

namespace {

const COLORREF LINK_COLOR = RGB(0, 0, 192);
const COLORREF LINK_HOVER_COLOR = RGB(192, 0, 192);
const DWORD LINK_THREAD_STACK = 2048;
const DWORD LINK_THREAD_PAUSE_MS = 100;
const DWORD FOREGROUND_PAUSE_MS = 10;
const int LINK_TEXT_CHARS = 260;
const wchar_t URL_SCHEME[] = L"https://";

// Process-wide state of the one dialog; main thread only, except the URL and the thread
// handle slot, which the link thread reads.
struct SInfoDialogState
{
    HWND hWndDialog = nullptr;
    HWND hWndLink = nullptr;
    HWND hWndUnderMouse = nullptr;
    bool bOverLink = false;
    bool bLinkHovered = false;
    HWND hWndPressed = nullptr;
    wchar_t szUrl[512] = L"";
    HANDLE hLinkThread = nullptr;
    const CInfoIcon* pIcon = nullptr;
    HFONT hFontTemplate = nullptr;   // the dialog manager's font, made at the opening DPI
    int iOpeningDpi = BASE_DPI;
    int iDpi = BASE_DPI;
};

SInfoDialogState g_InfoDialog;
CGdiObject g_hDialogFont;   // copies of the dialog's font and the link's at its current DPI
CGdiObject g_hLinkFont;

struct SLinkThreadStart
{
    HANDLE* phThread;
    const wchar_t* pszUrl;
};
SLinkThreadStart g_LinkThreadStart = {&g_InfoDialog.hLinkThread, g_InfoDialog.szUrl};

DWORD WINAPI LinkThread(LPVOID _pStart)
{
    const SLinkThreadStart* pStart = static_cast<const SLinkThreadStart*>(_pStart);
    Sleep(LINK_THREAD_PAUSE_MS);
    const HRESULT hrCom = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    ShellExecuteW(nullptr, nullptr, pStart->pszUrl, nullptr, nullptr, SW_SHOWNORMAL);
    if (SUCCEEDED(hrCom))
        CoUninitialize();
    Sleep(LINK_THREAD_PAUSE_MS);
    // A second click may have replaced the slot with its own thread; close only this one.
    HANDLE hOwn = InterlockedCompareExchangePointer(pStart->phThread, nullptr, nullptr);
    if (hOwn && GetThreadId(hOwn) == GetCurrentThreadId() &&
        InterlockedCompareExchangePointer(pStart->phThread, nullptr, hOwn) == hOwn)
        CloseHandle(hOwn);
    return 0;
}

void OpenLink()
{
    wchar_t szLink[LINK_TEXT_CHARS] = L"";
    GetWindowTextW(g_InfoDialog.hWndLink, szLink, ARRAYSIZE(szLink));
    StringCchCopyW(g_InfoDialog.szUrl, ARRAYSIZE(g_InfoDialog.szUrl), URL_SCHEME);
    StringCchCatW(g_InfoDialog.szUrl, ARRAYSIZE(g_InfoDialog.szUrl), szLink);
    HANDLE hThread = CreateThread(GetNullDaclAttributes(), LINK_THREAD_STACK, LinkThread, &g_LinkThreadStart,
                                  CREATE_SUSPENDED | STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    if (!hThread)
        return;
    HANDLE hPrevious = InterlockedExchangePointer(&g_InfoDialog.hLinkThread, hThread);
    if (hPrevious)
        CloseHandle(hPrevious);   // the earlier thread finds the slot taken and leaves it alone
    ResumeThread(hThread);
}

// Centres over the parent, or over the desktop; on a desktop at least twice as wide as high
// over its left half.
void Centre(HWND _hDlg)
{
    HWND hWndParent = GetParent(_hDlg);
    RECT rcOuter = {};
    GetWindowRect(hWndParent ? hWndParent : GetDesktopWindow(), &rcOuter);
    LONG lWidth = rcOuter.right - rcOuter.left;
    const LONG lHeight = rcOuter.bottom - rcOuter.top;
    if (!hWndParent && lHeight > 0 && lWidth / lHeight >= 2)
        lWidth /= 2;
    RECT rcDlg = {};
    GetWindowRect(_hDlg, &rcDlg);
    const LONG x = rcOuter.left + (lWidth - (rcDlg.right - rcDlg.left)) / 2;
    const LONG y = rcOuter.top + (lHeight - (rcDlg.bottom - rcDlg.top)) / 2;
    SetWindowPos(_hDlg, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The link's font (made for 96 DPI; a copy at any other DPI) at the dialog's DPI; the new
// font is in place before the old one goes.
void SetLinkFont()
{
    const HFONT hFontLink = g_InfoDialog.pIcon->GetLinkFont();
    const HFONT hFont = g_InfoDialog.iDpi == BASE_DPI ? nullptr : CreateFontAtDpi(hFontLink, g_InfoDialog.iDpi);
    SendMessageW(g_InfoDialog.hWndLink, WM_SETFONT, reinterpret_cast<WPARAM>(hFont ? hFont : hFontLink), TRUE);
    g_hLinkFont.Reset(hFont);
}

// Controls and fonts from the DPI the dialog has to the new one; the dialog's own font
// goes from the opening DPI to it.
void OnDpiChanged(HWND _hDlg, WPARAM _wParam, LPARAM _lParam)
{
    int iDpi = g_InfoDialog.iDpi;
    RECT rc = {};
    if (!ReadDpiChange(_hDlg, _wParam, _lParam, g_InfoDialog.iDpi, &iDpi, &rc))
        return;
    ScaleChildWindows(_hDlg, g_InfoDialog.iDpi, iDpi);
    g_InfoDialog.iDpi = iDpi;
    if (const HFONT hFont = CreateFontAtDpi(g_InfoDialog.hFontTemplate, iDpi, g_InfoDialog.iOpeningDpi))
    {
        SetFontOnChildren(_hDlg, hFont);
        g_hDialogFont.Reset(hFont);
    }
    SetLinkFont();
    SetWindowPos(_hDlg, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

void OnInitDialog(HWND _hDlg)
{
    g_InfoDialog.hWndDialog = _hDlg;
    g_InfoDialog.hWndLink = GetDlgItem(_hDlg, IDC_INFO_LINK);
    g_InfoDialog.bOverLink = false;
    g_InfoDialog.bLinkHovered = false;
    g_InfoDialog.hWndUnderMouse = nullptr;
    g_InfoDialog.hWndPressed = nullptr;
    g_InfoDialog.hFontTemplate = reinterpret_cast<HFONT>(SendMessageW(_hDlg, WM_GETFONT, 0, 0));
    g_InfoDialog.iOpeningDpi = GetWindowDpi(_hDlg);
    g_InfoDialog.iDpi = g_InfoDialog.iOpeningDpi;
    TakeOverDialogDpiScaling(_hDlg);
    SetLinkFont();
    Centre(_hDlg);
    SendMessageW(_hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_InfoDialog.pIcon->GetIcon()));
    const CVersionTool version;
    g_ResourceAccess.SetWindowString(_hDlg, 1015, L"Programminformation");
    SetDlgItemTextW(_hDlg, IDC_INFO_PRODUCT, version.GetProductName());
    SetDlgItemTextW(_hDlg, IDC_INFO_LINK, INFO_MAKER_ADDRESS);
    SetDlgItemTextW(_hDlg, IDC_INFO_VERSION, version.GetProductVersion());
    g_ResourceAccess.SetDlgItemString(_hDlg, IDOK, 1016, L"OK");
}

HWND ControlAt(HWND _hDlg, LPARAM _lParam)
{
    const POINT pt = {static_cast<short>(LOWORD(_lParam)), static_cast<short>(HIWORD(_lParam))};
    return ChildWindowFromPoint(_hDlg, pt);
}

// Redraws the link when its drawn state no longer matches where the mouse is.
void UpdateLinkHover()
{
    if (g_InfoDialog.bLinkHovered == g_InfoDialog.bOverLink)
        return;
    g_InfoDialog.bLinkHovered = g_InfoDialog.bOverLink;
    InvalidateRect(g_InfoDialog.hWndLink, nullptr, TRUE);
}

// The system asks for the cursor before it reports the move; the move itself also updates
// the link, so that it never keeps the hover colour after the mouse has left it.
void OnMouseMove(HWND _hDlg, LPARAM _lParam)
{
    g_InfoDialog.hWndUnderMouse = ControlAt(_hDlg, _lParam);
    g_InfoDialog.bOverLink = g_InfoDialog.hWndLink && g_InfoDialog.hWndUnderMouse == g_InfoDialog.hWndLink;
    UpdateLinkHover();
}

INT_PTR OnSetCursor(HWND _hDlg)
{
    UpdateLinkHover();
    if (!g_InfoDialog.bOverLink)
        return FALSE;
    SetCursor(g_InfoDialog.pIcon->GetHandCursor());
    SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, TRUE);
    return TRUE;
}

INT_PTR OnStaticColor(HDC _hdc, HWND _hWndControl)
{
    COLORREF crText = RGB(0, 0, 0);
    if (_hWndControl == g_InfoDialog.hWndLink)
        crText = g_InfoDialog.bOverLink ? LINK_HOVER_COLOR : LINK_COLOR;
    SetTextColor(_hdc, crText);
    SetBkColor(_hdc, g_InfoDialog.pIcon->GetButtonFaceColor());
    return reinterpret_cast<INT_PTR>(g_InfoDialog.pIcon->GetButtonFaceBrush());
}

void OnLeftButtonUp(HWND _hDlg, LPARAM _lParam)
{
    const HWND hWndUnder = ControlAt(_hDlg, _lParam);
    const HWND hWndPressed = g_InfoDialog.hWndPressed;
    g_InfoDialog.hWndPressed = nullptr;
    if (g_InfoDialog.hWndLink && hWndPressed == g_InfoDialog.hWndLink && hWndUnder == g_InfoDialog.hWndLink)
        OpenLink();
}

INT_PTR CALLBACK InfoDialogProc(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (IsRefusedFromOtherThread(_uMsg))
        return TRUE;   // handled: the default handling would read lParam too
    switch (_uMsg)
    {
    case WM_INITDIALOG: OnInitDialog(_hDlg); return TRUE;
    case WM_MOUSEMOVE: OnMouseMove(_hDlg, _lParam); return FALSE;
    case WM_DPICHANGED: OnDpiChanged(_hDlg, _wParam, _lParam); return TRUE;
    case WM_SETCURSOR: return OnSetCursor(_hDlg);
    case WM_CTLCOLORSTATIC: return OnStaticColor(reinterpret_cast<HDC>(_wParam), reinterpret_cast<HWND>(_lParam));
    case WM_LBUTTONDOWN: g_InfoDialog.hWndPressed = ControlAt(_hDlg, _lParam); return FALSE;
    case WM_LBUTTONUP: OnLeftButtonUp(_hDlg, _lParam); return FALSE;
    case WM_HELP:
        g_QelConfig.ShowHelp(HELP_TOPIC_MAIN, TRUE);
        SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(_wParam) == IDOK || LOWORD(_wParam) == IDCANCEL)
        {
            g_InfoDialog.hWndDialog = nullptr;
            DestroyWindow(_hDlg);
            // Wakes the dialog's loop, which may wait while another thread sent this command.
            PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
            return TRUE;
        }
        return FALSE;
    default: return FALSE;
    }
}

// Runs until the dialog is gone; a quit message ends it early and is posted again for the
// loop around it.
void RunInfoDialogLoop(HWND _hDlg)
{
    // A sender on another thread is not kept waiting while the person reads the dialog.
    AnswerWaitingSender(0);
    MSG msg;
    while (IsWindow(_hDlg))
    {
        const BOOL bGot = GetMessageW(&msg, nullptr, 0, 0);
        if (bGot == 0)
        {
            DestroyWindow(_hDlg);
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (bGot == -1)
            return;
        DispatchInModalLoop(msg, _hDlg);
    }
}

}   // namespace

void RunInfoDialog(const CInfoIcon& _icon)
{
    if (g_InfoDialog.hWndDialog)
    {
        if (IsIconic(g_InfoDialog.hWndDialog))
            ShowWindow(g_InfoDialog.hWndDialog, SW_RESTORE);
        SetForegroundWindow(g_InfoDialog.hWndDialog);
        Sleep(FOREGROUND_PAUSE_MS);
        return;
    }
    g_InfoDialog.pIcon = &_icon;
    // Modal through a loop of its own, which filters what other processes post meanwhile.
    const HWND hDlg =
        CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_INFO), nullptr, InfoDialogProc, 0);
    if (hDlg)
    {
        ShowWindow(hDlg, SW_SHOW);
        RunInfoDialogLoop(hDlg);
    }
    g_InfoDialog.hWndDialog = nullptr;
    g_hDialogFont.Reset();
    g_hLinkFont.Reset();
}

void EndInfoDialog()
{
    if (g_InfoDialog.hWndDialog)
        SendMessageW(g_InfoDialog.hWndDialog, WM_COMMAND, IDOK, 0);
}

HWND GetInfoDialog()
{
    return g_InfoDialog.hWndDialog;
}
