// The settings window object: its stored values, the window and its procedure.
#include "ui/QelConfig.h"

#include <htmlhelp.h>
#include <strsafe.h>
#include <cstdio>
#include <cstdlib>

#include "TelvarinPlugin.h"
#include "base/ProgramPath.h"
#include "bus/BusRecord.h"
#include "bus/MainWindowHandle.h"
#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/SharedMem.h"
#include "config/RegIniAccess.h"
#include "config/ResourceAccess.h"
#include "config/RunMode.h"
#include "config/VersionTool.h"
#include "diag/Trace.h"
#include "ui/InfoIcon.h"
#include "ui/ModuleInfoPage.h"
#include "ui/QelDlgColors.h"
#include "ui/QelMessageBox.h"
#include "ui/SettingsKeys.h"
#include "ui/SettingsPlugin.h"
#include "ui/WindowDpi.h"
#include "UiResources.h"

wchar_t g_szHelpLink[512] = L"";

namespace {

const wchar_t SECTION[] = L"General";
const RECT DEFAULT_POSITION = {0, 0, 800, 600};
const DWORD FOREGROUND_PAUSE_MS = 10;
const UINT QUESTION_FLAGS = 0x40033;   // Yes, No, Cancel; exclamation icon; topmost
const int TITLE_CHARS = 128;
const DWORD BUTTON_STYLE = 0x5000000B;   // visible child, tab stop, owner draw
const DWORD TITLE_STYLE = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

struct SButton
{
    ESettingsControl eControl;
    int iId;
    UINT uTextId;
    const wchar_t* pszDefault;
};

const SButton BUTTONS[] = {
    {SETTINGS_CLOSE, IDCANCEL, 1010, L"Close"},
    {SETTINGS_APPLY, IDC_SETTINGS_APPLY, 1023, L"Apply"},
    {SETTINGS_HELP, IDHELP, 1018, L"Help"},
};

// Ends the process's own topmost windows (its message boxes) before a change is applied.
BOOL CALLBACK CloseIfOwnTopmost(HWND _hWnd, LPARAM _lProcessId)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(_hWnd, &dwProcessId);
    if (dwProcessId == static_cast<DWORD>(_lProcessId) && IsWindowVisible(_hWnd) &&
        (GetWindowLongPtrW(_hWnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0)
        SendMessageW(_hWnd, WM_COMMAND, IDCANCEL, 0);
    return TRUE;
}

void CloseTopmostWindows()
{
    EnumWindows(CloseIfOwnTopmost, static_cast<LPARAM>(GetCurrentProcessId()));
}

HWND CreateChild(HWND _hDlg, const wchar_t* _pszClass, const wchar_t* _pszText, DWORD _dwStyle, int _iId, HFONT _hFont)
{
    HWND hWnd =
        CreateWindowExW(0, _pszClass, _pszText, _dwStyle, 0, 0, 0, 0, _hDlg,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(_iId)), GetModuleHandleW(nullptr), nullptr);
    if (hWnd)
        SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(_hFont), FALSE);
    return hWnd;
}

}   // namespace

void CQelConfig::LoadSettingsPosition()
{
    unsigned auEdge[4] = {0, 0, 0, 0};
    swscanf(g_RegIniAccess.ReadString(SECTION, L"Position", 0), L"%u %u %u %u", &auEdge[0], &auEdge[1], &auEdge[2],
            &auEdge[3]);
    m_rcPosition = {static_cast<LONG>(auEdge[0]), static_cast<LONG>(auEdge[1]), static_cast<LONG>(auEdge[2]),
                    static_cast<LONG>(auEdge[3])};
    m_iUseLoadSortRule = _wtoi(g_RegIniAccess.ReadString(SECTION, L"UseLoadSortRule", 0));
    const HRESULT hrCopy = StringCchCopyW(m_szLoadSortRule, ARRAYSIZE(m_szLoadSortRule),
                                          g_RegIniAccess.ReadString(SECTION, L"PluginLoadSortRule", 0));
    m_bLoadSortRuleCut = hrCopy == STRSAFE_E_INSUFFICIENT_BUFFER;
    ValidatePosition();
}

void CQelConfig::SaveSettingsPosition()
{
    if (IsServiceMode())
        return;
    g_RegIniAccess.WriteFormat(SECTION, L"Position", L"%d %d %d %d", m_rcPosition.left, m_rcPosition.top,
                               m_rcPosition.right, m_rcPosition.bottom);
    g_RegIniAccess.WriteInt(SECTION, L"UseLoadSortRule", m_iUseLoadSortRule);
    // The rule is written back unchanged; a cut one would replace the whole stored rule.
    if (!m_bLoadSortRuleCut)
        g_RegIniAccess.WriteString(SECTION, L"PluginLoadSortRule", m_szLoadSortRule);
}

void CQelConfig::ValidatePosition()
{
    RECT rcDesktop = {};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    const RECT& rc = m_rcPosition;
    if (rc.right <= rc.left || rc.left < rcDesktop.left || rc.top < rcDesktop.top || rc.right > rcDesktop.right ||
        rc.bottom > rcDesktop.bottom)
        m_rcPosition = DEFAULT_POSITION;
}

void CQelConfig::SetHelpFile(const wchar_t* _pszHelpFile)
{
    StringCchCopyW(m_szHelpFile, ARRAYSIZE(m_szHelpFile), _pszHelpFile ? _pszHelpFile : L"");
}

void CQelConfig::ShowConfig(UINT_PTR _uModule)
{
    WriteTrace(3, L"Func.ShowConfig.Begin");
    WriteTrace(3, L"Func.ShowConfig.Var.m_hWndDlg 0x%08IX", reinterpret_cast<UINT_PTR>(m_hWndDlg));
    if (m_hWndDlg)
    {
        if (IsIconic(m_hWndDlg))
            ShowWindow(m_hWndDlg, SW_RESTORE);
        SetForegroundWindow(m_hWndDlg);
        Sleep(FOREGROUND_PAUSE_MS);
        WriteTrace(3, L"Func.ShowConfig.Abort");
        return;
    }
    const HWND hDlg = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_SETTINGS), nullptr, DialogProc,
                                         static_cast<LPARAM>(_uModule));
    if (hDlg)
        ShowWindow(hDlg, SW_SHOW);
    WriteTrace(3, L"Func.ShowConfig.End");
}

void CQelConfig::CloseConfig()
{
    WriteTrace(3, L"Func.CloseConfig.Begin");
    ClosePage();
    if (m_hWndDlg)
        SendMessageW(m_hWndDlg, WM_COMMAND, IDOK, 0);
    WriteTrace(3, L"Func.CloseConfig.End");
}

void CQelConfig::UpdateButtons()
{
    if (!m_hWndDlg)
        return;
    EnableWindow(Control(SETTINGS_APPLY), m_bChanged);
    wchar_t szHelp[MAX_PATH];
    ShowWindow(Control(SETTINGS_HELP), FindHelpFile(szHelp, ARRAYSIZE(szHelp)) ? SW_SHOW : SW_HIDE);
}

void CQelConfig::ApplyModuleStates()
{
    ::ApplyModuleStates();
}

void CQelConfig::RefreshModuleList()
{
    RefreshModuleInfoPage();
}

void CQelConfig::SelectNode(HTREEITEM _hNode)
{
    if (GetTree() && _hNode)
        TreeView_Select(GetTree(), _hNode, TVGN_CARET);
}

void CQelConfig::OnSettingsKeyUp(HWND _hWndFocus, WPARAM _wKey)
{
    const SSettingsFocusWindows windows = {m_hWndDlg,
                                           GetTree(),
                                           Control(SETTINGS_PAGE),
                                           Control(SETTINGS_CLOSE),
                                           Control(SETTINGS_APPLY),
                                           Control(SETTINGS_HELP)};
    HandleSettingsKey(windows, _hWndFocus, _wKey);
}

bool CQelConfig::FindHelpFile(wchar_t* _pszPath, size_t _cchPath) const
{
    return LocateHelpFile(m_szHelpFile, _pszPath, _cchPath);
}

namespace {

// The help viewer's library is loaded when help is first opened, not with the program: most
// runs never open it. It stays loaded, since its window lives in it.
HWND OpenHtmlHelp(const wchar_t* _pszFile, int _iTopic)
{
    using PFN_HTMLHELPW = HWND(WINAPI*)(HWND, LPCWSTR, UINT, DWORD_PTR);
    static const HMODULE s_hViewer = LoadLibraryW(L"hhctrl.ocx");
    const auto pfnHtmlHelp =
        s_hViewer ? reinterpret_cast<PFN_HTMLHELPW>(GetProcAddress(s_hViewer, "HtmlHelpW")) : nullptr;
    if (!pfnHtmlHelp)
        return nullptr;
    wchar_t szTarget[MAX_PATH + 64];
    BuildHelpTarget(_pszFile, _iTopic, szTarget, ARRAYSIZE(szTarget));
    return pfnHtmlHelp(GetDesktopWindow(), szTarget, HH_DISPLAY_TOPIC, 0);
}

}   // namespace

void CQelConfig::ShowHelp(int _iTopic, BOOL _bForward)
{
    wchar_t szPath[MAX_PATH];
    if (!FindHelpFile(szPath, ARRAYSIZE(szPath)))
        return;
    OpenHtmlHelp(szPath, _iTopic);
    if (_bForward && Control(SETTINGS_PAGE))
        SendMessageW(Control(SETTINGS_PAGE), WM_HELP, 0, 0);
}

INT_PTR CALLBACK CQelConfig::DialogProc(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    return g_QelConfig.OnMessage(_hDlg, _uMsg, _wParam, _lParam);
}

INT_PTR CQelConfig::OnMessage(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (IsRefusedFromOtherThread(_uMsg))
        return TRUE;   // handled: the default handling would read lParam too
    if (_uMsg == WM_INITDIALOG)
    {
        OnInitDialog(_hDlg, reinterpret_cast<HMODULE>(_lParam));
        return FALSE;   // the tree has the focus
    }
    if (_hDlg != m_hWndDlg)
        return FALSE;
    LRESULT lResult = 0;
    switch (_uMsg)
    {
    case WM_SIZE:
        if (_wParam != SIZE_MINIMIZED)
            StorePosition();
        LayOut();
        return TRUE;
    case WM_GETMINMAXINFO: LimitSettingsSize(reinterpret_cast<MINMAXINFO*>(_lParam), m_iDpi, WorkArea()); return TRUE;
    case WM_DPICHANGED:
        OnDpiChanged(_wParam, _lParam);
        SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, 0);
        return TRUE;
    case WM_DISPLAYCHANGE:
        ValidatePosition();
        PlaceWindow();
        return TRUE;
    case WM_ERASEBKGND:
        PaintSettingsBackground(_hDlg, reinterpret_cast<HDC>(_wParam), m_iDpi);
        SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, 1);
        return TRUE;
    case WM_NOTIFY:
        if (!OnNotify(reinterpret_cast<const NMHDR*>(_lParam), &lResult))
            break;
        SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, lResult);
        return TRUE;
    case WM_HELP: ShowHelp(HELP_TOPIC_SETTINGS, TRUE); return TRUE;
    case WM_COMMAND:
        switch (LOWORD(_wParam))
        {
        case IDOK:
        case IDCANCEL: Close(); return TRUE;
        case IDC_SETTINGS_APPLY: Apply(); return TRUE;
        case IDHELP: ShowHelp(HELP_TOPIC_SETTINGS, TRUE); return TRUE;
        default: break;
        }
        break;
    default: break;
    }
    // Colours of the controls (static text also in the scheme's text colour, so that the title
    // stays readable on the dark schemes) and the owner-drawn buttons.
    const LRESULT lLook = g_DlgFonts.HandleLookMessage(_hDlg, _uMsg, _wParam, _lParam);
    if (_uMsg == WM_DRAWITEM)
        return TRUE;
    return static_cast<INT_PTR>(lLook);
}

void CQelConfig::OnInitDialog(HWND _hDlg, HMODULE _hModule)
{
    m_hWndDlg = _hDlg;
    m_bChanged = FALSE;
    m_hSelectedModule = nullptr;
    SendMessageW(_hDlg, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(g_InfoIcon.GetIcon()));
    g_DlgColors.SetScheme(g_DlgColors.GetScheme());
    g_DlgFonts.ApplyFont(_hDlg, g_DlgFonts.GetFaceName());
    m_iDpi = GetWindowDpi(_hDlg);
    TakeOverDialogDpiScaling(_hDlg);
    MakeFonts();
    CreateControls();
    ValidatePosition();
    PlaceWindow();
    SetTexts();
    HTREEITEM hNode = m_Tree.FindNode(_hModule);
    SelectNode(hNode ? hNode : m_Tree.GetModuleInfoNode());
    LayOut();
    SetForegroundWindow(_hDlg);
    SetFocus(GetTree());
}

void CQelConfig::MakeFonts()
{
    m_hFontNormal.Reset(CreateFontAtDpi(g_DlgFonts.GetNormalFont(), m_iDpi));
    m_hFontLarge.Reset(CreateFontAtDpi(g_DlgFonts.GetLargeFont(), m_iDpi));
}

// The window moved to a monitor of another DPI (or the DPI changed): fonts, layout, page and
// window size follow it.
void CQelConfig::OnDpiChanged(WPARAM _wParam, LPARAM _lParam)
{
    int iDpi = m_iDpi;
    RECT rc = {};
    if (!ReadDpiChange(m_hWndDlg, _wParam, _lParam, m_iDpi, &iDpi, &rc))
        return;
    m_iDpi = iDpi;
    // The new fonts are in place before the old ones go.
    CGdiObject hFontNormal(CreateFontAtDpi(g_DlgFonts.GetNormalFont(), m_iDpi));
    CGdiObject hFontLarge(CreateFontAtDpi(g_DlgFonts.GetLargeFont(), m_iDpi));
    for (const ESettingsControl eControl : {SETTINGS_TREE, SETTINGS_CLOSE, SETTINGS_APPLY, SETTINGS_HELP})
        SendMessageW(Control(eControl), WM_SETFONT, reinterpret_cast<WPARAM>(hFontNormal.Get()), TRUE);
    SendMessageW(Control(SETTINGS_TITLE), WM_SETFONT, reinterpret_cast<WPARAM>(hFontLarge.Get()), TRUE);
    m_hFontNormal.Reset(hFontNormal.Release());
    m_hFontLarge.Reset(hFontLarge.Release());
    if (Control(SETTINGS_PAGE) && Control(SETTINGS_PAGE) == GetModuleInfoPage())
        SetModuleInfoPageDpi(m_iDpi);
    SetWindowPos(m_hWndDlg, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    LayOut();
}

RECT CQelConfig::WorkArea() const
{
    RECT rc = {};
    GetWindowRect(m_hWndDlg, &rc);
    return WorkAreaNear(rc);
}

void CQelConfig::CreateControls()
{
    const HFONT hFontNormal = static_cast<HFONT>(m_hFontNormal.Get());
    m_ahWndControls[SETTINGS_TREE] = m_Tree.Create(m_hWndDlg, hFontNormal);
    m_ahWndControls[SETTINGS_TITLE] =
        CreateChild(m_hWndDlg, L"STATIC", L"Title", TITLE_STYLE, 0xFFFF, static_cast<HFONT>(m_hFontLarge.Get()));
    for (const SButton& button : BUTTONS)
        m_ahWndControls[button.eControl] =
            CreateChild(m_hWndDlg, L"BUTTON", L"", BUTTON_STYLE, button.iId, hFontNormal);
    m_ahWndControls[SETTINGS_PAGE] = nullptr;
}

void CQelConfig::SetTexts()
{
    const CVersionTool version;
    wchar_t szTitle[TITLE_CHARS];
    StringCchPrintfW(szTitle, ARRAYSIZE(szTitle), L"%s - %s", version.GetProductName(),
                     g_ResourceAccess.GetString(1017, L"Settings"));
    SetWindowTextW(m_hWndDlg, szTitle);
    for (const SButton& button : BUTTONS)
        g_ResourceAccess.SetDlgItemString(m_hWndDlg, button.iId, button.uTextId, button.pszDefault);
}

bool CQelConfig::OnNotify(const NMHDR* _pHeader, LRESULT* _plResult)
{
    if (!_pHeader || _pHeader->idFrom != IDC_SETTINGS_TREE || _pHeader->hwndFrom != GetTree())
        return false;
    switch (_pHeader->code)
    {
    case TVN_SELCHANGINGW: *_plResult = m_bChanged && !AskToApply() ? TRUE : FALSE; return true;
    case TVN_SELCHANGEDW:
        OnSelectionChanged(reinterpret_cast<const NMTREEVIEWW*>(_pHeader)->itemNew.hItem);
        return true;
    case NM_CUSTOMDRAW:
        *_plResult = m_Tree.OnCustomDraw(reinterpret_cast<NMTVCUSTOMDRAW*>(const_cast<NMHDR*>(_pHeader)));
        return true;
    default: return false;
    }
}

bool CQelConfig::AskToApply()
{
    wchar_t szQuestion[512];
    StringCchCopyW(
        szQuestion, ARRAYSIZE(szQuestion),
        g_ResourceAccess.GetString(1031, L"The program settings has been changed. Do you want to apply the changes?"));
    // A box closed without an answer, or one that could not be shown, keeps the change as Cancel does.
    const int iAnswer = g_MessageBox.ShowMessageBox(m_hWndDlg, szQuestion, nullptr, QUESTION_FLAGS);
    if (iAnswer == IDYES)
        Apply();
    return iAnswer == IDYES || iAnswer == IDNO;
}

void CQelConfig::OnSelectionChanged(HTREEITEM _hNode)
{
    m_bChanged = FALSE;
    m_hSelectedModule = m_Tree.FindModule(_hNode);
    SetSharedWord(SHM_PLUGINID, 0);
    wchar_t szTitle[TITLE_CHARS];
    m_Tree.GetText(_hNode, szTitle, ARRAYSIZE(szTitle));
    SetWindowTextW(Control(SETTINGS_TITLE), szTitle);
    ClosePage();
    bool bTitleEnabled = true;
    if (_hNode && _hNode == m_Tree.GetModuleInfoNode())
    {
        m_hSelectedModule = GetModuleHandleW(nullptr);
        m_ahWndControls[SETTINGS_PAGE] = CreateModuleInfoPage(m_hWndDlg, m_iDpi);
        if (Control(SETTINGS_PAGE))
            ShowWindow(Control(SETTINGS_PAGE), SW_SHOW);
    }
    else if (m_hSelectedModule)
    {
        m_ahWndControls[SETTINGS_PAGE] = ShowPluginPage(m_hSelectedModule, m_hWndDlg);
        int iPluginId = 0;
        if (QueryPluginId(m_hSelectedModule, &iPluginId))
            SetSharedWord(SHM_PLUGINID, iPluginId);
        bTitleEnabled = !ShowsTitleGreyed(m_hSelectedModule);
    }
    LayOut();
    EnableWindow(Control(SETTINGS_TITLE), bTitleEnabled);
    UpdateButtons();
}

void CQelConfig::ClosePage()
{
    const HWND hWndPage = Control(SETTINGS_PAGE);
    m_ahWndControls[SETTINGS_PAGE] = nullptr;
    if (hWndPage && IsWindow(hWndPage))
        SendMessageW(hWndPage, WM_COMMAND, IDOK, 0);
}

void CQelConfig::Apply()
{
    EnableWindow(Control(SETTINGS_APPLY), FALSE);
    CloseTopmostWindows();
    SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    if (m_hSelectedModule == GetModuleHandleW(nullptr))
        SendBusType(g_hWndParent, TRUE, QEL_BUSMSG_APPLYHOSTCONFIG);
    else if (m_hSelectedModule)
        CallPluginBus(FindListedModule(m_hSelectedModule), QEL_BUSMSG_APPLYCONFIG);
    m_bChanged = FALSE;
    UpdateButtons();
    InvalidateRect(GetTree(), nullptr, TRUE);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

void CQelConfig::Close()
{
    if (m_bChanged && !AskToApply())
        return;
    m_bChanged = FALSE;
    StorePosition();
    ClosePage();
    const HWND hDlg = m_hWndDlg;
    for (HWND& hWnd : m_ahWndControls)
        hWnd = nullptr;
    m_Tree.Forget();
    m_hWndDlg = nullptr;
    m_hSelectedModule = nullptr;
    DestroyWindow(hDlg);
    m_hFontNormal.Reset();
    m_hFontLarge.Reset();
}

void CQelConfig::LayOut()
{
    if (m_hWndDlg)
        LayOutSettings(m_hWndDlg, m_ahWndControls, m_iDpi);
}

// The rectangle of the window as it is when not minimised or maximised, in screen pixels.
void CQelConfig::StorePosition()
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(m_hWndDlg, &placement))
        return;
    if (placement.showCmd == SW_SHOWMINIMIZED || placement.showCmd == SW_SHOWMAXIMIZED)
        m_rcPosition = WorkspaceToScreen(placement.rcNormalPosition);
    else
        GetWindowRect(m_hWndDlg, &m_rcPosition);
}

// Within the work area of its monitor, at most as large as that work area.
void CQelConfig::PlaceWindow()
{
    const RECT rc = FitIntoWorkArea(m_rcPosition, WorkAreaNear(m_rcPosition));
    SetWindowPos(m_hWndDlg, nullptr, rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top,
                 SWP_NOZORDER | SWP_SHOWWINDOW);
}
