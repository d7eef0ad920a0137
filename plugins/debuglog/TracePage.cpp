#include "TracePage.h"

#include <shellapi.h>

#include "PageTexts.h"
#include "TelvarinPlugin.h"
#include "TraceLevel.h"
#include "TraceStore.h"

namespace {

const wchar_t PAGE_CLASS[] = L"TvrTraceFilePage";

enum PageControl
{
    IDC_LEVEL_LABEL = 101,
    IDC_LEVEL = 102,
    IDC_FOLDER_LABEL = 103,
    IDC_FOLDER = 104,
    IDC_OPEN_FOLDER = 105,
    IDC_KEEP_LABEL = 106,
    IDC_KEEP_DAYS = 107,
    IDC_KEEP_NOTE = 108,
};

struct SPageState
{
    HWND hWnd = nullptr;
    bool bFilling = false;   // the page's own initial texts are no change of the user's
    std::wstring strFolder;
};

SPageState g_Page;

HWND AddControl(HWND _hWndPage, const wchar_t* _pszClass, const wchar_t* _pszText, DWORD _dwStyle, DWORD _dwExStyle, int _iId)
{
    HWND hWnd = CreateWindowExW(_dwExStyle, _pszClass, _pszText, WS_CHILD | WS_VISIBLE | _dwStyle, 0, 0, 10, 10, _hWndPage,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(_iId)), GetPluginModule(), nullptr);
    SendMessageW(hWnd, WM_SETFONT, SendMessageW(GetParent(_hWndPage), WM_GETFONT, 0, 0), FALSE);
    return hWnd;
}

void CreateControls(HWND _hWndPage, const STraceSettings& _settings)
{
    const bool bGerman = HostSpeaksGerman();
    AddControl(_hWndPage, L"STATIC", GetPageText(TEXT_LEVEL, bGerman), 0, 0, IDC_LEVEL_LABEL);
    HWND hWndLevel = AddControl(_hWndPage, L"COMBOBOX", L"", CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, 0, IDC_LEVEL);
    for (int iText = TEXT_LEVEL_0; iText <= TEXT_LEVEL_4; ++iText)
        SendMessageW(hWndLevel, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(GetPageText(static_cast<PageText>(iText), bGerman)));
    SendMessageW(hWndLevel, CB_SETCURSEL, _settings.iLevel == TRACE_LEVEL_NONE ? 0 : _settings.iLevel, 0);
    AddControl(_hWndPage, L"STATIC", GetPageText(TEXT_FOLDER, bGerman), 0, 0, IDC_FOLDER_LABEL);
    AddControl(_hWndPage, L"EDIT", g_Page.strFolder.c_str(), ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, IDC_FOLDER);
    AddControl(_hWndPage, L"BUTTON", GetPageText(TEXT_OPEN_FOLDER, bGerman), BS_OWNERDRAW | WS_TABSTOP, 0, IDC_OPEN_FOLDER);
    AddControl(_hWndPage, L"STATIC", GetPageText(TEXT_KEEP_DAYS, bGerman), 0, 0, IDC_KEEP_LABEL);
    HWND hWndDays = AddControl(_hWndPage, L"EDIT", std::to_wstring(_settings.iKeepDays).c_str(), ES_NUMBER | WS_TABSTOP,
                               WS_EX_CLIENTEDGE, IDC_KEEP_DAYS);
    SendMessageW(hWndDays, EM_LIMITTEXT, 4, 0);
    AddControl(_hWndPage, L"STATIC", GetPageText(TEXT_KEEP_NOTE, bGerman), 0, 0, IDC_KEEP_NOTE);
}

// Rows from the top: label, field; widths follow the page.
void LayOut(HWND _hWndPage)
{
    RECT rc = {};
    GetClientRect(_hWndPage, &rc);
    const int cx = rc.right > 40 ? rc.right - 20 : 20;
    struct SPlace { int iId; int x; int y; int cx; int cy; };
    const SPlace places[] = {
        {IDC_LEVEL_LABEL, 10, 10, cx, 20},     {IDC_LEVEL, 10, 32, 260, 200},
        {IDC_FOLDER_LABEL, 10, 72, cx, 20},    {IDC_FOLDER, 10, 94, cx > 140 ? cx - 130 : cx, 24},
        {IDC_OPEN_FOLDER, cx > 140 ? cx - 110 : 10, 93, 120, 26},
        {IDC_KEEP_LABEL, 10, 136, cx, 20},     {IDC_KEEP_DAYS, 10, 158, 80, 24},
        {IDC_KEEP_NOTE, 10, 192, cx, 40},
    };
    for (const SPlace& place : places)
        MoveWindow(GetDlgItem(_hWndPage, place.iId), place.x, place.y, place.cx, place.cy, TRUE);
}

STraceSettings ReadControls()
{
    STraceSettings settings;
    settings.iLevel = static_cast<int>(SendDlgItemMessageW(g_Page.hWnd, IDC_LEVEL, CB_GETCURSEL, 0, 0));
    BOOL bNumber = FALSE;
    settings.iKeepDays = static_cast<int>(GetDlgItemInt(g_Page.hWnd, IDC_KEEP_DAYS, &bNumber, FALSE));
    if (!bNumber)
        settings.iKeepDays = KEEP_DAYS_DEFAULT;
    return ClampTraceSettings(settings);
}

void ReportChange()
{
    if (!g_Page.bFilling)
        PostMessageW(FindHostMainWindow(), WM_QEL_CONFIGCHANGED, 0, 0);
}

void OnCommand(HWND _hWnd, WORD _wId, WORD _wCode)
{
    switch (_wId)
    {
    case IDOK:
    case IDCANCEL: DestroyWindow(_hWnd); break;
    case IDC_OPEN_FOLDER:
        CreateDirectoryW(g_Page.strFolder.c_str(), nullptr);   // the first line of the day may not have come yet
        ShellExecuteW(_hWnd, L"open", g_Page.strFolder.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        break;
    case IDC_LEVEL:
        if (_wCode == CBN_SELCHANGE)
            ReportChange();
        break;
    case IDC_KEEP_DAYS:
        if (_wCode == EN_CHANGE)
            ReportChange();
        break;
    default: break;
    }
}

LRESULT CALLBACK PageProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    switch (_uMsg)
    {
    case WM_SIZE: LayOut(_hWnd); return 0;
    case WM_COMMAND: OnCommand(_hWnd, LOWORD(_wParam), HIWORD(_wParam)); return 0;
    case WM_DESTROY:
        if (g_Page.hWnd == _hWnd)
            g_Page.hWnd = nullptr;
        return 0;
    default: return DefSettingsPageProc(_hWnd, _uMsg, _wParam, _lParam);
    }
}

} // namespace

HWND CreateTracePage(HWND _hWndParent, const std::wstring& _strLogFolder)
{
    if (g_Page.hWnd != nullptr)
        DestroyWindow(g_Page.hWnd);
    g_Page.strFolder = _strLogFolder;
    g_Page.hWnd = CreateSettingsPage(_hWndParent, PAGE_CLASS, PageProc, 500, 300);
    if (g_Page.hWnd == nullptr)
        return nullptr;
    g_Page.bFilling = true;
    CreateControls(g_Page.hWnd, LoadTraceSettings());
    g_Page.bFilling = false;
    LayOut(g_Page.hWnd);
    return g_Page.hWnd;
}

bool ApplyTracePage()
{
    if (g_Page.hWnd == nullptr)
        return false;
    const STraceSettings settings = ReadControls();
    const bool bSaved = SaveTraceSettings(settings);
    PostTraceLevel(settings.iLevel);
    return bSaved;
}
