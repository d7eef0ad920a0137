// One fuzzing run against the host: sends and posts messages, checks the host after each
// message (cheap checks) and after each batch (answers, title, modules, canary), records
// crashes, hangs and unwanted effects, and starts the host again when allowed.
#pragma once
#include <windows.h>
#include <deque>
#include <map>
#include <string>

#include "Canary.h"
#include "ForgedPage.h"
#include "FuzzHost.h"
#include "FuzzOptions.h"
#include "FuzzReport.h"
#include "HostAddressMap.h"
#include "ModuleWatch.h"

class CFuzzSession
{
public:
    static const unsigned BATCH = 50;
    // A message kind that crashed or hung the host this often is not sent again in the category.
    static const unsigned SUPPRESS_AFTER = 2;
    // Messages before the last one named with a crash or hang (a posted culprit may be among them).
    static const size_t RECENT_SHOWN = 4;

    CFuzzSession(CFuzzHost& _Host, CFuzzReport& _Report, const CFuzzOptions& _Options);

    // Reads the host's address map, arms the canary and sets the module watch.
    void Prepare();
    void BeginCategory(const std::wstring& _strName);
    // Waits up to the time for the host to answer again, checks it and records its memory.
    void EndCategory(DWORD _dwDrainTimeoutMs);

    // Each returns false when the message was not delivered (kind suppressed, host gone, refused).
    // Without a window, to the main window.
    bool Send(UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel) { return SendTo(nullptr, _uMsg, _wParam, _lParam, _pszLabel); }
    bool Post(UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel) { return PostTo(nullptr, _uMsg, _wParam, _lParam, _pszLabel); }
    bool SendTo(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel);
    bool PostTo(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel);
    // A record text through WM_SETTEXT, sent (the text is copied to the host by the system).
    bool SendText(const std::wstring& _strText, WPARAM _wParam, const wchar_t* _pszLabel);
    // A step that is no message (a shared memory write): counted and checked like one.
    void CountStep(const wchar_t* _pszLabel, UINT_PTR _uValue);
    // While set, batches do not ask the host for an answer (a flood of posts is queued).
    void SetFlooding(bool _bFlooding) { m_bFlooding = _bFlooding; }

    bool CanGoOn() const;
    bool TimeLimitHit() const;
    bool HostGone() const { return m_bGone; }

    CFuzzHost& Host() { return m_Host; }
    CFuzzReport& Report() { return m_Report; }
    const CHostAddressMap& Map() const { return m_Map; }
    CModuleWatch& Modules() { return m_Modules; }
    const CCanary& Canary() const { return m_Canary; }
    // The host's windows as last listed; listing them again also writes the forged page anew.
    const std::vector<HostWindow>& Windows() const { return m_vecWindows; }
    void RefreshWindows();

private:
    struct LastMessage
    {
        UINT uMsg = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        const wchar_t* pszLabel = L"";
        HWND hWnd = nullptr;   // the target when it is not the main window
        const wchar_t* pszHow = L"send";
        std::wstring strText;   // the start of a record text
        size_t cchText = 0;
        std::wstring strKind;   // what a crash or hang is counted against
    };

    bool IsSuppressed(const std::wstring& _strKind) const;
    bool CallsPluginCode(UINT _uMsg, LPARAM _lParam) const;
    void Remember(const wchar_t* _pszHow, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel);
    void AfterMessage();
    void CheckCheap();
    void CheckBatch();
    void OnSendFailed();
    void OnEnded();
    void OnHang(const std::wstring& _strWhat);
    void StartAgain(const std::wstring& _strWhy);
    void Blame();
    std::wstring Describe() const;
    std::wstring DescribeWithRecent() const;
    static std::wstring DescribeOne(const LastMessage& _Message);

    CFuzzHost& m_Host;
    CFuzzReport& m_Report;
    const CFuzzOptions& m_Options;
    CHostAddressMap m_Map;
    CModuleWatch m_Modules;
    CCanary m_Canary;
    CForgedPage m_Forged;
    std::vector<HostWindow> m_vecWindows;
    LastMessage m_Last;
    std::deque<LastMessage> m_dqRecent;   // the messages before the last one, newest first
    std::map<std::wstring, unsigned> m_mapCulprits;   // message kind -> crashes and hangs in this category
    std::wstring m_strLastTitle;
    unsigned m_uInBatch = 0;
    bool m_bFlooding = false;
    bool m_bGone = false;
    ULONGLONG m_ullDeadline = 0;
};
