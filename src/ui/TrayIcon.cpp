#include "ui/TrayIcon.h"

#include <strsafe.h>
#include <cstring>

#include "base/SentMessage.h"

namespace {

const UINT TRAY_FLAGS = NIF_MESSAGE | NIF_ICON | NIF_TIP;
const size_t TIP_CHARS = 127;
const int MENU_OFFSET_X = 10;

HICON LoadSmallIcon(HINSTANCE _hInstance, WORD _wResource)
{
    return static_cast<HICON>(
        LoadImageW(_hInstance, MAKEINTRESOURCEW(_wResource), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
}

}   // namespace

CTrayIcon::CTrayIcon() : m_bEnabled(FALSE), m_bShown(FALSE)
{
    std::memset(&m_NotifyData, 0, sizeof(m_NotifyData));
}

CTrayIcon::~CTrayIcon()
{
    Show(FALSE);
}

void CTrayIcon::Create(HINSTANCE _hInstance, HWND _hWndOwner, UINT _uCallbackMessage, UINT _uId, WORD _wIconState1,
                       WORD _wIconState0, WORD _wIconState2)
{
    if (m_hInstance)
        return;
    m_hInstance = _hInstance;
    m_NotifyData.hWnd = _hWndOwner;
    m_NotifyData.uCallbackMessage = _uCallbackMessage;
    m_NotifyData.uID = _uId;
    m_NotifyData.uFlags = TRAY_FLAGS;
    m_hIconState1.Reset(LoadSmallIcon(_hInstance, _wIconState1));
    m_hIconState0.Reset(LoadSmallIcon(_hInstance, _wIconState0));
    if (_wIconState2)
        m_hIconState2.Reset(LoadSmallIcon(_hInstance, _wIconState2));
    m_uTaskbarCreated = RegisterWindowMessageW(L"TaskbarCreated");
}

void CTrayIcon::SetState(int _iState)
{
    if (!m_bEnabled)
        return;
    m_NotifyData.hIcon = (_iState == 0 ? m_hIconState0 : _iState == 1 ? m_hIconState1 : m_hIconState2).Get();
    Show(TRUE);
}

void CTrayIcon::Show(BOOL _bShow)
{
    if (!m_bEnabled)
        return;
    if (_bShow)
        Refresh();
    else
        Shell_NotifyIconW(NIM_DELETE, &m_NotifyData);
    m_bShown = _bShow;
}

void CTrayIcon::Refresh()
{
    if (!m_bEnabled)
        return;
    m_NotifyData.cbSize = sizeof(NOTIFYICONDATAW);
    m_NotifyData.uFlags = TRAY_FLAGS;
    Shell_NotifyIconW(m_bShown ? NIM_MODIFY : NIM_ADD, &m_NotifyData);
}

void CTrayIcon::SetTip(const wchar_t* _pszTip)
{
    StringCchCopyNW(m_NotifyData.szTip, TIP_CHARS + 1, _pszTip ? _pszTip : L"", TIP_CHARS);
}

void CTrayIcon::ShowMenu()
{
    POINT pt = {0, 0};
    if (!m_hMenu || !GetCursorPos(&pt))
        return;
    // A sender on another thread is not kept waiting while the menu waits for a click.
    AnswerWaitingSender(0);
    SetForegroundWindow(m_NotifyData.hWnd);
    TrackPopupMenuEx(m_hMenu, TPM_RIGHTBUTTON, pt.x + MENU_OFFSET_X, pt.y, m_NotifyData.hWnd, nullptr);
}

int CTrayIcon::IsPresent() const
{
    NOTIFYICONIDENTIFIER identifier = {};
    identifier.cbSize = sizeof(identifier);
    identifier.hWnd = m_NotifyData.hWnd;
    identifier.uID = m_NotifyData.uID;
    RECT rc = {};
    Shell_NotifyIconGetRect(&identifier, &rc);
    return rc.right + rc.bottom;
}

bool CTrayIcon::OnTaskbarCreated(UINT _uMsg)
{
    if (_uMsg == 0 || _uMsg != m_uTaskbarCreated)
        return false;
    if (m_bShown)
    {
        m_bShown = FALSE;   // the new shell knows no icon: add it
        Refresh();
        m_bShown = TRUE;
    }
    return true;
}
