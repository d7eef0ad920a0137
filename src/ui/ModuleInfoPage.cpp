#include "ui/ModuleInfoPage.h"

#include <commctrl.h>
#include <shlwapi.h>
#include <strsafe.h>

#include <string>
#include <utility>
#include <vector>

#include "bus/MessageFilter.h"
#include "bus/PluginBase.h"
#include "bus/PluginCall.h"
#include "bus/PluginStopMarks.h"
#include "config/ResourceAccess.h"
#include "config/VersionTool.h"
#include "ui/ModuleListRows.h"
#include "ui/QelConfig.h"
#include "ui/QelDlgColors.h"
#include "ui/QelMessageBox.h"
#include "ui/WindowDpi.h"
#include "UiResources.h"

namespace {

// Pictures of the check-box strip: fixed on, on, off, fixed off.
enum ECheckImage
{
    CHECK_FIXED_ON = 0,
    CHECK_ON = 1,
    CHECK_OFF = 2,
    CHECK_FIXED_OFF = 3
};

const int CHECK_IMAGE_WIDTH = 16;
const int CHECK_IMAGE_GROW = 3;
const UINT BETA_CAPTION_ID = 1032;
const UINT BETA_TEXT_ID = 1033;
const UINT BETA_BOX_FLAGS = MB_OKCANCEL | MB_ICONEXCLAMATION | MB_DEFBUTTON2 | MB_TOPMOST;
const UINT STOPPED_TEXT_ID = 1049;
const UINT_PTR LIST_SUBCLASS_ID = 1;
const wchar_t CTRL_A = 0x01;
const wchar_t CTRL_C = 0x03;

struct SColumn
{
    UINT uTextId;
    const wchar_t* pszDefault;
    int iWidth;
    int iFormat;
};

const SColumn COLUMNS[] = {
    {1011, L"Module", 140, LVCFMT_LEFT},
    {1012, L"Product version", 110, LVCFMT_CENTER},
    {1013, L"File version", 110, LVCFMT_CENTER},
};

// The lists in the order of the page's rows.
CPluginBase* const LISTS_IN_ROW_ORDER[] = {&g_PluginDebug, &g_PluginTelephony, &g_PluginSearch,
                                           &g_PluginInfo,  &g_PluginSave,      &g_PluginExtra};

struct ImageListTraits
{
    using Type = HIMAGELIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type _h) { ImageList_Destroy(_h); }
};

// Process-wide state of the one page; main thread only. The image list outlives a page only
// until the page's WM_DESTROY.
struct SModuleInfoPageState
{
    HWND hWndPage = nullptr;
    HWND hWndList = nullptr;
    CHandle<ImageListTraits> hImages;
    wchar_t szHostVersion[32] = L"";
    std::vector<std::pair<int, std::wstring>> vecStoppedRows;   // row, file of a plug-in stopped after faults
};

SModuleInfoPageState g_ModuleInfoPage;
CGdiObject g_hPageFont;   // the list's font at the page's DPI, while the page is open

HWND List()
{
    return g_ModuleInfoPage.hWndList;
}

// The exports of a module of one of the six lists right now; none otherwise: a row may
// outlive its module (a host command can unload a list while the page is open).
const SPluginExports& ListedExports(HMODULE _hModule)
{
    static const SPluginExports s_none;
    const CPluginModule* pModule = FindListedModule(_hModule);
    return pModule != nullptr ? pModule->GetExports() : s_none;
}

int CheckImage(int _iCanDisable, bool _bDisabled)
{
    if (_iCanDisable)
        return _bDisabled ? CHECK_OFF : CHECK_ON;
    return _bDisabled ? CHECK_FIXED_OFF : CHECK_FIXED_ON;
}

void AddListRows(CPluginBase& _list)
{
    for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
    {
        wchar_t szName[128] = L"";
        StringCchCopyW(szName, ARRAYSIZE(szName), _list.GetModuleName(i));
        if (!szName[0] || HasModuleRowNamed(List(), szName))
            continue;
        // A module without a handle counts as disabled and has no versions to show.
        const HMODULE hModule = _list.GetModuleHandle(i);
        const bool bDisabled = !hModule || _list.GetDisableState(i) != 0;
        const CVersionTool version = hModule ? CVersionTool(hModule) : CVersionTool(L"");
        AddModuleRow(List(), szName, version.GetProductVersion(), version.GetFileVersion(),
                     CheckImage(_list.GetCanDisable(i), bDisabled), hModule);
    }
}

// A plug-in stopped after faults was not loaded: its row names the file, shows it switched
// off and keeps the file, whose mark Apply clears when the row is switched on.
void AddStoppedRows(const CPluginBase& _list)
{
    for (const std::wstring& strFile : _list.GetStoppedFiles())
    {
        wchar_t szName[MAX_PATH + 64];
        StringCchPrintfW(szName, ARRAYSIZE(szName), L"%s (%s)", PathFindFileNameW(strFile.c_str()),
                         g_ResourceAccess.GetString(STOPPED_TEXT_ID, L"stopped after faults"));
        const CVersionTool version(strFile.c_str());
        g_ModuleInfoPage.vecStoppedRows.emplace_back(ListView_GetItemCount(List()), strFile);
        AddModuleRow(List(), szName, version.GetProductVersion(), version.GetFileVersion(), CHECK_OFF, nullptr);
    }
}

void FillList()
{
    ListView_DeleteAllItems(List());
    g_ModuleInfoPage.vecStoppedRows.clear();
    const CVersionTool host;
    AddModuleRow(List(), g_ResourceAccess.GetString(1014, L" Main program"), host.GetProductVersion(),
                 host.GetFileVersion(), CHECK_FIXED_ON, nullptr);
    for (CPluginBase* pList : LISTS_IN_ROW_ORDER)
        AddListRows(*pList);
    for (const CPluginBase* pList : LISTS_IN_ROW_ORDER)
        AddStoppedRows(*pList);
}

bool IsBetaModule(HMODULE _hModule)
{
    return CallPluginFunction(_hModule, ListedExports(_hModule).pfnIsBetaVersion, DLL_NAME_ISBETAVERSION, 0) != 0;
}

// The warning's owner is the hidden main window, so the list takes the focus back itself.
bool ConfirmBetaModule()
{
    const int iAnswer =
        g_MessageBox.ShowMessageBoxById(FindHostMainWindow(), BETA_CAPTION_ID, BETA_TEXT_ID, BETA_BOX_FLAGS);
    if (List())
    {
        SetForegroundWindow(GetAncestor(List(), GA_ROOT));
        SetFocus(List());
    }
    return iAnswer == IDOK;
}

void ReportChange()
{
    const HWND hWndMain = FindHostMainWindow();
    if (hWndMain)
        PostMessageW(hWndMain, WM_QEL_CONFIGCHANGED, 0, 0);
}

// On becomes off at once; off becomes on, for a beta module only when the user confirms the
// warning. The fixed pictures never change.
void ToggleRow(int _iRow)
{
    const int iImage = GetModuleRowImage(List(), _iRow);
    if (iImage == CHECK_ON)
        SetModuleRowImage(List(), _iRow, CHECK_OFF);
    else if (iImage == CHECK_OFF)
    {
        // The warning's loop handles other messages: the page may be closed or filled again
        // when it ends, so the row must still be the module's.
        const HMODULE hModule = GetModuleRowModule(List(), _iRow);
        if (IsBetaModule(hModule) && (!ConfirmBetaModule() || GetModuleRowModule(List(), _iRow) != hModule))
            return;
        SetModuleRowImage(List(), _iRow, CHECK_ON);
    }
    else
        return;
    ReportChange();
}

void SelectAllRows()
{
    ListView_SetItemState(List(), -1, LVIS_SELECTED, LVIS_SELECTED);
    ListView_SetItemState(List(), 0, LVIS_FOCUSED, LVIS_FOCUSED);
}

// Keys and clicks of the list: space and a click on the first column's picture toggle,
// Ctrl+A selects every row, Ctrl+C copies the selected rows.
bool OnListKey(WPARAM _wKey)
{
    const bool bControl = GetKeyState(VK_CONTROL) < 0;
    if (_wKey == VK_SPACE && !bControl)
    {
        const int iRow = ListView_GetNextItem(List(), -1, LVNI_SELECTED);
        if (iRow >= 0)
            ToggleRow(iRow);
        return true;
    }
    if (_wKey == 'A' && bControl)
    {
        SelectAllRows();
        return true;
    }
    if (_wKey == 'C' && bControl)
    {
        CopyModuleListText(List(), g_ModuleInfoPage.hWndPage);
        return true;
    }
    return false;
}

void OnListClick(WPARAM _wFlags, LPARAM _lPoint)
{
    if (_wFlags & (MK_SHIFT | MK_CONTROL))
        return;
    LVHITTESTINFO hit = {};
    hit.pt.x = static_cast<short>(LOWORD(_lPoint));
    hit.pt.y = static_cast<short>(HIWORD(_lPoint));
    if (ListView_SubItemHitTest(List(), &hit) >= 0 && hit.iSubItem == 0 && (hit.flags & LVHT_ONITEMICON))
        ToggleRow(hit.iItem);
}

LRESULT CALLBACK ListProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, UINT_PTR _uId, DWORD_PTR)
{
    switch (_uMsg)
    {
    case WM_KEYDOWN:
        if (OnListKey(_wParam))
            return 0;
        break;
    case WM_CHAR:
        // The handled keys' characters would start the list's search by typing.
        if (_wParam == L' ' || _wParam == CTRL_A || _wParam == CTRL_C)
            return 0;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:   // the second of two quick clicks is a click of its own
    {
        const LRESULT lResult = DefSubclassProc(_hWnd, _uMsg, _wParam, _lParam);
        OnListClick(_wParam, _lParam);
        return lResult;
    }
    case WM_NCDESTROY: RemoveWindowSubclass(_hWnd, ListProc, _uId); break;
    default: break;
    }
    return DefSubclassProc(_hWnd, _uMsg, _wParam, _lParam);
}

void AddColumns()
{
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(COLUMNS)); ++i)
    {
        wchar_t szText[128] = L"";
        StringCchCopyW(szText, ARRAYSIZE(szText),
                       g_ResourceAccess.GetString(COLUMNS[i].uTextId, COLUMNS[i].pszDefault));
        LVCOLUMNW column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
        column.fmt = COLUMNS[i].iFormat;
        column.cx = COLUMNS[i].iWidth;
        column.pszText = szText;
        ListView_InsertColumn(List(), i, &column);
    }
}

// The list's font and column widths at the DPI; the new font is in place before the old
// one goes.
void ScaleList(int _iDpi)
{
    if (const HFONT hFont = CreateFontAtDpi(g_DlgFonts.GetNormalFont(), _iDpi))
    {
        SetFontOnChildren(g_ModuleInfoPage.hWndPage, hFont);
        g_hPageFont.Reset(hFont);
    }
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(COLUMNS)); ++i)
        ListView_SetColumnWidth(List(), i, ScaleToDpi(COLUMNS[i].iWidth, _iDpi));
}

void FitList()
{
    RECT rc = {};
    GetClientRect(g_ModuleInfoPage.hWndPage, &rc);
    MoveWindow(List(), 0, 0, rc.right, rc.bottom, TRUE);
}

void OnInitDialog(HWND _hDlg, int _iDpi)
{
    g_ModuleInfoPage.hWndPage = _hDlg;
    g_ModuleInfoPage.hWndList = GetDlgItem(_hDlg, IDC_MODULE_LIST);
    FitList();
    g_PluginSearch.RefreshCanDisable();
    g_DlgColors.SetScheme(g_DlgColors.GetScheme());
    g_DlgFonts.ApplyFont(_hDlg, g_DlgFonts.GetFaceName());
    const HWND hWndList = g_ModuleInfoPage.hWndList;
    ListView_SetExtendedListViewStyleEx(hWndList, LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES,
                                        LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES);
    AddColumns();
    ScaleList(_iDpi);
    ListView_SetBkColor(hWndList, g_DlgColors.GetColor(QEL_COLOR_LISTBACK));
    if (!g_ModuleInfoPage.hImages)
        g_ModuleInfoPage.hImages.Reset(ImageList_LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_CHECKBOXES),
                                                            CHECK_IMAGE_WIDTH, CHECK_IMAGE_GROW, CLR_NONE, IMAGE_BITMAP,
                                                            LR_CREATEDIBSECTION));
    ListView_SetImageList(hWndList, g_ModuleInfoPage.hImages.Get(), LVSIL_SMALL);
    StringCchCopyW(g_ModuleInfoPage.szHostVersion, ARRAYSIZE(g_ModuleInfoPage.szHostVersion),
                   CVersionTool().GetProductVersion());
    FillList();
    SetWindowSubclass(hWndList, ListProc, LIST_SUBCLASS_ID, 0);
}

// Rows alternate their ground; the first row counts as row 1, an odd row.
COLORREF RowGround(int _iRow)
{
    return g_DlgColors.GetColor(_iRow % 2 == 0 ? QEL_COLOR_LISTBACK : QEL_COLOR_LISTALTBACK);
}

// Every cell of a row whose product version is not the host's is drawn in the other-version
// colour.
LRESULT OnCustomDraw(NMLVCUSTOMDRAW& _draw)
{
    switch (_draw.nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
    {
        // The whole row first: the list fills only the cells' text areas with their ground.
        RECT rcRow = {};
        ListView_GetItemRect(List(), static_cast<int>(_draw.nmcd.dwItemSpec), &rcRow, LVIR_BOUNDS);
        SetDCBrushColor(_draw.nmcd.hdc, RowGround(static_cast<int>(_draw.nmcd.dwItemSpec)));
        FillRect(_draw.nmcd.hdc, &rcRow, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
        return CDRF_NOTIFYSUBITEMDRAW;
    }
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM:
    {
        const int iRow = static_cast<int>(_draw.nmcd.dwItemSpec);
        wchar_t szVersion[128] = L"";
        ListView_GetItemText(List(), iRow, 1, szVersion, ARRAYSIZE(szVersion));
        const bool bOtherVersion = wcscmp(szVersion, g_ModuleInfoPage.szHostVersion) != 0;
        _draw.clrText = g_DlgColors.GetColor(bOtherVersion ? QEL_COLOR_OTHERVERSIONTEXT : QEL_COLOR_LISTTEXT);
        _draw.clrTextBk = RowGround(iRow);
        return CDRF_NEWFONT;
    }
    default: return CDRF_DODEFAULT;
    }
}

INT_PTR OnNotify(HWND _hDlg, const NMHDR* _pHeader)
{
    if (_pHeader->hwndFrom != List() || _pHeader->code != NM_CUSTOMDRAW)
        return FALSE;
    auto* pDraw = reinterpret_cast<NMLVCUSTOMDRAW*>(const_cast<NMHDR*>(_pHeader));
    SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, OnCustomDraw(*pDraw));
    return TRUE;
}

void OnDestroy()
{
    // The list lets go of the images before their owner destroys them with the page's state.
    if (List())
        ListView_SetImageList(List(), nullptr, LVSIL_SMALL);
    g_ModuleInfoPage = SModuleInfoPageState();
    g_hPageFont.Reset();
}

INT_PTR CALLBACK PageProc(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (IsRefusedFromOtherThread(_uMsg))
        return TRUE;   // handled: the default handling would read lParam too
    switch (_uMsg)
    {
    case WM_INITDIALOG: OnInitDialog(_hDlg, static_cast<int>(_lParam)); return TRUE;
    case WM_SIZE: FitList(); return TRUE;
    case WM_NOTIFY: return OnNotify(_hDlg, reinterpret_cast<const NMHDR*>(_lParam));
    case WM_HELP:
        g_QelConfig.ShowHelp(HELP_TOPIC_MODULE_INFO, FALSE);
        SetWindowLongPtrW(_hDlg, DWLP_MSGRESULT, TRUE);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(_wParam) == IDOK || LOWORD(_wParam) == IDCANCEL)
        {
            DestroyWindow(_hDlg);
            return TRUE;
        }
        return FALSE;
    case WM_DESTROY: OnDestroy(); return TRUE;
    default: return static_cast<INT_PTR>(g_DlgFonts.HandleLookMessage(_hDlg, _uMsg, _wParam, _lParam));
    }
}

}   // namespace

HWND CreateModuleInfoPage(HWND _hWndSettings, int _iDpi)
{
    if (!IsWindow(_hWndSettings))
        return nullptr;
    if (g_ModuleInfoPage.hWndPage)
        DestroyWindow(g_ModuleInfoPage.hWndPage);   // one page at a time: its state is shared
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_MODULEINFO), _hWndSettings, PageProc,
                              static_cast<LPARAM>(_iDpi));
}

HWND GetModuleInfoPage()
{
    return g_ModuleInfoPage.hWndPage;
}

void SetModuleInfoPageDpi(int _iDpi)
{
    if (List())
        ScaleList(_iDpi);
}

void ApplyModuleStates()
{
    if (!List())
        return;
    for (const auto& stopped : g_ModuleInfoPage.vecStoppedRows)
    {
        if (GetModuleRowImage(List(), stopped.first) == CHECK_ON)
            ClearPluginStop(stopped.second.c_str());
    }
    for (int i = 0; i < ListView_GetItemCount(List()); ++i)
    {
        const HMODULE hModule = GetModuleRowModule(List(), i);
        const SPluginExports& exports = ListedExports(hModule);
        const auto pfnGet = exports.pfnGetDisableState;
        const auto pfnSet = exports.pfnSetDisableState;
        if (!pfnGet || !pfnSet)
            continue;
        const int iImage = GetModuleRowImage(List(), i);
        if (iImage != CHECK_ON && iImage != CHECK_OFF)
            continue;
        const int iDisabled = CallPluginFunction(hModule, pfnGet, DLL_NAME_GETDISABLESTATE, 0);
        if ((iImage == CHECK_ON) != (iDisabled != 0))
            continue;
        CallPluginProcedure(hModule, pfnSet, DLL_NAME_SETDISABLESTATE, iImage == CHECK_OFF ? 1 : 0);
    }
}

void RefreshModuleInfoPage()
{
    if (List())
        FillList();
}
