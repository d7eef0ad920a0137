// One icon in the notification area: three pictures, a tooltip, the callback message to its
// owner window and the popup menu it shows. Every shell call is skipped while disabled.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "base/Handle.h"

#include <atomic>

class CTrayIcon
{
public:
    CTrayIcon();
    virtual ~CTrayIcon();
    CTrayIcon(const CTrayIcon&) = delete;
    CTrayIcon& operator=(const CTrayIcon&) = delete;

    void SetEnabled(BOOL _bEnabled) { m_bEnabled = _bEnabled; }
    BOOL IsEnabled() const { return m_bEnabled; }
    // Once only: owner, callback message, id and the icons of states 1, 0 and 2 (0 = none).
    void Create(HINSTANCE _hInstance, HWND _hWndOwner, UINT _uCallbackMessage, UINT _uId, WORD _wIconState1,
                WORD _wIconState0, WORD _wIconState2);
    // 0 and 1 pick their icons, any other state the third one; adds or updates the icon.
    void SetState(int _iState);
    void Show(BOOL _bShow);
    void Refresh();
    // The tooltip for the next update, cut to 127 characters.
    void SetTip(const wchar_t* _pszTip);
    void ShowMenu();
    // Non-zero while the shell knows the icon (right + bottom of its rectangle).
    int IsPresent() const;
    HICON GetIcon() const { return m_hIconState1.Get(); }
    // The shell's "TaskbarCreated" broadcast (sent after the shell restarts) adds the icon
    // again at once; true when the message was that broadcast.
    bool OnTaskbarCreated(UINT _uMsg);

    const NOTIFYICONDATAW& GetNotifyData() const { return m_NotifyData; }
    BOOL IsShown() const { return m_bShown; }

protected:
    HMENU m_hMenu = nullptr;

private:
    std::atomic<BOOL> m_bEnabled;
    std::atomic<BOOL> m_bShown;
    CIconHandle m_hIconState1;
    CIconHandle m_hIconState0;
    CIconHandle m_hIconState2;
    HINSTANCE m_hInstance = nullptr;
    NOTIFYICONDATAW m_NotifyData;
    UINT m_uTaskbarCreated = 0;
};
