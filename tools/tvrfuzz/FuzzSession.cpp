#include "FuzzSession.h"

#include <cwchar>

#include "CanaryMarker.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t HOST_TITLE[] = L"Telvarin";
const DWORD HANG_RECOVERY_MS = 60000;
const size_t TEXT_SHOWN = 80;
const int POST_RETRIES = 250;
const DWORD BLOCKED_MS = 750;
const DWORD IDLE_ANSWER_MS = 100;
const UINT WM_SYSTIMER_MESSAGE = 0x0118;

std::wstring Hex(UINT_PTR _uValue)
{
    wchar_t szText[32];
    std::swprintf(szText, ARRAYSIZE(szText), L"0x%llX", static_cast<unsigned long long>(_uValue));
    return szText;
}

// Record text as one readable line: control characters escaped.
std::wstring Printable(const std::wstring& _strText)
{
    std::wstring strOut;
    for (wchar_t ch : _strText)
    {
        if (ch == L'\r')
            strOut += L"\\r";
        else if (ch == L'\n')
            strOut += L"\\n";
        else if (ch < 32 || ch > 126)
            strOut += L'.';
        else
            strOut += ch;
    }
    return strOut;
}

std::wstring KindKey(UINT _uMsg, const wchar_t* _pszLabel)
{
    return std::to_wstring(_uMsg) + L"|" + _pszLabel;
}

// The record's Type text, so that faults of one bus type do not silence the others.
std::wstring RecordKind(const wchar_t* _pszLabel, const std::wstring& _strText)
{
    static const wchar_t s_szType[] = L"keyword=\"Type\">";
    const size_t uAt = _strText.find(s_szType);
    std::wstring strType;
    if (uAt != std::wstring::npos)
        strType = _strText.substr(uAt + ARRAYSIZE(s_szType) - 1, 12);
    return KindKey(WM_SETTEXT, _pszLabel) + L"|" + strType.substr(0, strType.find(L'<'));
}

} // namespace

CFuzzSession::CFuzzSession(CFuzzHost& _Host, CFuzzReport& _Report, const CFuzzOptions& _Options)
    : m_Host(_Host), m_Report(_Report), m_Options(_Options)
{
    if (_Options.m_dwTimeLimitSeconds)
        m_ullDeadline = GetTickCount64() + 1000ull * _Options.m_dwTimeLimitSeconds;
}

void CFuzzSession::Prepare()
{
    m_Map.Refresh(m_Host.Process(), m_Host.Folder());
    m_Modules.SetProgramFolder(m_Host.Folder());
    m_strLastTitle = HOST_TITLE;
    if (m_Canary.Arm(m_Map))
        m_Canary.RemoveMarker();
    RefreshWindows();
    m_Report.Note(L"host " + std::to_wstring(m_Host.Pid()) + L" " + m_Host.ImagePath() + L": " +
                  std::to_wstring(m_Map.Modules().size()) + L" modules, " +
                  std::to_wstring(m_Map.HeapPointers().size()) + L" heap pointers, " +
                  std::to_wstring(m_Map.Stacks().size()) + L" thread stacks, " +
                  std::to_wstring(m_Map.ImageRegions().size()) + L" image, " +
                  std::to_wstring(m_Map.MappedRegions().size()) + L" mapped and " +
                  std::to_wstring(m_Map.HighestRegions().size()) + L" highest regions, " +
                  std::to_wstring(m_Map.RecordTexts().size()) + L" record texts, " +
                  std::to_wstring(m_Map.ForgedAddresses().size()) + L" forged addresses, " +
                  std::to_wstring(m_vecWindows.size()) + L" windows, canary " +
                  (m_Canary.IsArmed() ? L"armed at " + Hex(m_Canary.Function()) : std::wstring(L"missing")));
}

void CFuzzSession::RefreshWindows()
{
    m_vecWindows = m_Host.Windows();
    m_Forged.Place(m_Host.Pid(), m_vecWindows);
    m_Map.SetForgedAddresses(m_Forged.Addresses());
}

void CFuzzSession::BeginCategory(const std::wstring& _strName)
{
    m_Report.Begin(_strName, m_Host.PrivateUsage());
    m_mapCulprits.clear();
    m_uInBatch = 0;
    m_bFlooding = false;
}

void CFuzzSession::EndCategory(DWORD _dwDrainTimeoutMs)
{
    m_bFlooding = false;
    if (!m_bGone)
    {
        const ULONGLONG ullStart = GetTickCount64();
        // Answered quickly: the host is no longer busy with what it was sent or posted.
        bool bAnswered = false;
        while (!bAnswered && m_Host.IsAlive() && GetTickCount64() - ullStart < _dwDrainTimeoutMs)
            bAnswered = m_Host.AnswerTime() < IDLE_ANSWER_MS;
        m_Report.Current().strNote += L"answered after " + std::to_wstring(GetTickCount64() - ullStart) + L" ms";
        if (!m_Host.IsAlive())
            OnEnded();
        else if (!bAnswered)
            OnHang(L"no answer after the category within " + std::to_wstring(_dwDrainTimeoutMs / 1000) + L" s");
        else
            CheckBatch();
    }
    m_Report.Current().cbAfter = m_bGone ? 0 : m_Host.PrivateUsage();
}

bool CFuzzSession::TimeLimitHit() const
{
    return m_ullDeadline != 0 && GetTickCount64() >= m_ullDeadline;
}

bool CFuzzSession::CanGoOn() const
{
    return !m_bGone && !TimeLimitHit();
}

bool CFuzzSession::IsSuppressed(const std::wstring& _strKind) const
{
    auto it = m_mapCulprits.find(_strKind);
    return it != m_mapCulprits.end() && it->second >= SUPPRESS_AFTER;
}

void CFuzzSession::Remember(const wchar_t* _pszHow, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel)
{
    m_dqRecent.push_front(m_Last);
    if (m_dqRecent.size() > RECENT_SHOWN)
        m_dqRecent.pop_back();
    m_Last.pszHow = _pszHow;
    m_Last.uMsg = _uMsg;
    m_Last.wParam = _wParam;
    m_Last.lParam = _lParam;
    m_Last.pszLabel = _pszLabel;
    m_Last.strText.clear();
    m_Last.cchText = 0;
    m_Last.strKind = KindKey(_uMsg, _pszLabel);
    m_Last.hWnd = nullptr;
}

// Plug-in code is what message 1156 and a timer's procedure exist to call, as plug-ins rely
// on: an address in it (which image data and other classes can hit) is no refusal to test.
// The canary's function is sent all the same: its helper is no plug-in of the lists.
bool CFuzzSession::CallsPluginCode(UINT _uMsg, LPARAM _lParam) const
{
    const UINT_PTR uAddress = static_cast<UINT_PTR>(_lParam);
    if ((_uMsg != WM_QEL_CALLFUNCTION && _uMsg != WM_TIMER && _uMsg != WM_SYSTIMER_MESSAGE) ||
        uAddress == m_Canary.Function())
        return false;
    for (const AddressRange& range : m_Map.PluginCode())
    {
        if (uAddress >= range.uStart && uAddress < range.uEnd)
            return true;
    }
    return false;
}

bool CFuzzSession::SendTo(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel)
{
    if (!CanGoOn() || IsSuppressed(KindKey(_uMsg, _pszLabel)) || CallsPluginCode(_uMsg, _lParam))
        return false;
    Remember(L"send", _uMsg, _wParam, _lParam, _pszLabel);
    m_Last.hWnd = _hWnd;
    ++m_Report.Current().ullSent;
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutW(_hWnd ? _hWnd : m_Host.Window(), _uMsg, _wParam, _lParam, SMTO_NORMAL,
                             CFuzzHost::ANSWER_TIMEOUT_MS, &dwResult))
    {
        if (_hWnd && !IsWindow(_hWnd) && m_Host.IsAlive())
            return false;   // the window closed meanwhile
        OnSendFailed();
        return false;
    }
    AfterMessage();
    return true;
}

bool CFuzzSession::SendText(const std::wstring& _strText, WPARAM _wParam, const wchar_t* _pszLabel)
{
    const std::wstring strKind = RecordKind(_pszLabel, _strText);
    if (!CanGoOn() || IsSuppressed(strKind))
        return false;
    Remember(L"send", WM_SETTEXT, _wParam, 0, _pszLabel);
    m_Last.strKind = strKind;
    m_Last.strText = _strText.substr(0, TEXT_SHOWN);
    m_Last.cchText = _strText.size();
    ++m_Report.Current().ullSent;
    DWORD_PTR dwResult = 0;
    if (!SendMessageTimeoutW(m_Host.Window(), WM_SETTEXT, _wParam, reinterpret_cast<LPARAM>(_strText.c_str()), SMTO_NORMAL,
                             CFuzzHost::ANSWER_TIMEOUT_MS, &dwResult))
    {
        OnSendFailed();
        return false;
    }
    AfterMessage();
    return true;
}

bool CFuzzSession::PostTo(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, const wchar_t* _pszLabel)
{
    if (!CanGoOn() || IsSuppressed(KindKey(_uMsg, _pszLabel)) || CallsPluginCode(_uMsg, _lParam))
        return false;
    Remember(L"post", _uMsg, _wParam, _lParam, _pszLabel);
    m_Last.hWnd = _hWnd;
    // A full queue refuses posts for a moment; the host is given time to work it off.
    for (int iTry = 0; !PostMessageW(_hWnd ? _hWnd : m_Host.Window(), _uMsg, _wParam, _lParam); ++iTry)
    {
        if (_hWnd && !IsWindow(_hWnd))
            return false;
        if (!m_Host.IsAlive())
        {
            OnEnded();
            return false;
        }
        if (iTry == POST_RETRIES || GetLastError() == ERROR_MESSAGE_SYNC_ONLY)
            return false;
        Sleep(20);
    }
    ++m_Report.Current().ullSent;
    AfterMessage();
    return true;
}

void CFuzzSession::CountStep(const wchar_t* _pszLabel, UINT_PTR _uValue)
{
    if (!CanGoOn())
        return;
    Remember(L"write", 0, 0, static_cast<LPARAM>(_uValue), _pszLabel);
    ++m_Report.Current().ullSent;
    AfterMessage();
}

void CFuzzSession::AfterMessage()
{
    if (!m_Host.IsAlive())
    {
        OnEnded();
        return;
    }
    if (++m_uInBatch >= BATCH)
    {
        m_uInBatch = 0;
        CheckBatch();
    }
    else if (m_Last.pszHow[0] == L's')
        CheckCheap();
}

// Visibility and the canary after every sent message, so that the effect is blamed on it.
void CFuzzSession::CheckCheap()
{
    if (m_Host.IsWindowShown())
    {
        m_Report.Fault(EFault::Effect, L"main window shown", Describe());
        ShowWindowAsync(m_Host.Window(), SW_HIDE);
    }
    if (m_Canary.TakeMarker())
        m_Report.Fault(EFault::Effect, L"code run (canary marker written)", Describe());
}

void CFuzzSession::CheckBatch()
{
    if (!m_Host.IsAlive())
    {
        OnEnded();
        return;
    }
    if (!m_bFlooding)
    {
        // A main thread that keeps another process waiting most of a second is blocked by what it was handed.
        const DWORD dwAnswerMs = m_Host.AnswerTime();
        if (dwAnswerMs >= CFuzzHost::ANSWER_TIMEOUT_MS)
            OnHang(L"no answer to WM_NULL within 5 s");
        else if (dwAnswerMs >= BLOCKED_MS)
            m_Report.Fault(EFault::Hang, L"main thread blocked: WM_NULL answered after " + std::to_wstring(dwAnswerMs) + L" ms",
                           Describe());
        if (m_bGone || !m_Host.IsAlive())
            return;
    }
    CheckCheap();
    if (!m_bFlooding)
    {
        const std::wstring strTitle = m_Host.Title();
        if (strTitle != m_strLastTitle && strTitle != L"?")
        {
            if (strTitle != HOST_TITLE)
                m_Report.Fault(EFault::Effect, L"main window title changed to \"" + Printable(strTitle.substr(0, 40)) + L"\"",
                               Describe());
            m_strLastTitle = strTitle;
        }
    }
    m_Map.ReadModules(m_Host.Process(), m_Host.Folder());
    for (const std::wstring& strPath : m_Modules.NewViolations(m_Map.Modules()))
        m_Report.Fault(EFault::Effect, L"module loaded from outside its folders: " + strPath, Describe());
}

void CFuzzSession::OnSendFailed()
{
    const DWORD dwError = GetLastError();
    if (!m_Host.IsAlive())
        OnEnded();
    else if (!IsWindow(m_Host.Window()))
    {
        Blame();
        m_Report.Fault(EFault::Crash, L"main window destroyed while the process runs", Describe());
        StartAgain(L"main window gone");
    }
    else if (dwError == ERROR_TIMEOUT || dwError == 0)
        OnHang(L"no answer within 5 s");
}

void CFuzzSession::OnEnded()
{
    if (m_bGone)
        return;
    Blame();
    m_Report.Fault(EFault::Crash, L"host ended with exit code " + Hex(m_Host.ExitCode()), DescribeWithRecent());
    StartAgain(L"host ended");
}

void CFuzzSession::OnHang(const std::wstring& _strWhat)
{
    Blame();
    m_Report.Fault(EFault::Hang, _strWhat, DescribeWithRecent());
    const ULONGLONG ullStart = GetTickCount64();
    while (m_Host.IsAlive() && GetTickCount64() - ullStart < HANG_RECOVERY_MS)
    {
        if (m_Host.Answers())
            return;
    }
    if (!m_Host.IsAlive())
    {
        OnEnded();
        return;
    }
    m_Report.Note(L"the host did not answer for " + std::to_wstring(HANG_RECOVERY_MS / 1000) + L" s");
    StartAgain(L"host hung");
}

void CFuzzSession::StartAgain(const std::wstring& _strWhy)
{
    if (!m_Options.m_bRestart)
    {
        m_Report.Note(_strWhy + L": no further messages (start again with --restart)");
        m_bGone = true;
        return;
    }
    m_Host.Terminate();
    if (!m_Host.Restart())
    {
        m_Report.Note(_strWhy + L": the host could not be started again");
        m_bGone = true;
        return;
    }
    // The plug-ins get their after-load calls (the canary loads its helper) shortly after the window exists.
    const bool bWantCanary = m_Canary.IsArmed();
    for (int iTry = 0; iTry < 100; ++iTry, Sleep(100))
    {
        m_Map.ReadModules(m_Host.Process(), m_Host.Folder());
        if (!bWantCanary || m_Map.FindModule(CANARY_HELPER_FILE))
            break;
    }
    Prepare();
    m_Report.Current().bRestarted = true;
    m_uInBatch = 0;
}

void CFuzzSession::Blame()
{
    ++m_mapCulprits[m_Last.strKind];
}

std::wstring CFuzzSession::Describe() const
{
    return L"last " + DescribeOne(m_Last);
}

std::wstring CFuzzSession::DescribeOne(const LastMessage& _Message)
{
    std::wstring strText = std::wstring(_Message.pszHow) + L" " + _Message.pszLabel;
    if (_Message.pszHow[0] == L'w')
        return strText + L" value " + Hex(static_cast<UINT_PTR>(_Message.lParam));
    if (_Message.hWnd)
        strText += L" to window " + Hex(reinterpret_cast<UINT_PTR>(_Message.hWnd));
    strText += L": msg " + std::to_wstring(_Message.uMsg) + L" wParam " + Hex(_Message.wParam);
    if (_Message.uMsg == WM_QEL_BUS)
        strText += std::wstring(L" (") + GetBusTypeName(static_cast<UINT>(_Message.wParam)) + L")";
    if (_Message.cchText)
        return strText + L" text[" + std::to_wstring(_Message.cchText) + L"] \"" + Printable(_Message.strText) + L"\"";
    return strText + L" lParam " + Hex(static_cast<UINT_PTR>(_Message.lParam));
}

std::wstring CFuzzSession::DescribeWithRecent() const
{
    std::wstring strText = Describe();
    for (const LastMessage& message : m_dqRecent)
        strText += L"\n      before: " + DescribeOne(message);
    return strText;
}
