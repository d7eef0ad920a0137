#include "ui/SettingsTree.h"

#include <strsafe.h>

#include "bus/PluginBase.h"
#include "config/ResourceAccess.h"
#include "ui/QelDlgColors.h"
#include "ui/SettingsPlugin.h"
#include "UiResources.h"

namespace {

const DWORD TREE_STYLE = 0x50001420;   // visible child; full-row select, single expand, selection always shown

struct SCategoryNode
{
    CPluginBase* pList;
    UINT uTextId;
    const wchar_t* pszDefault;
};

// The categories in tree order, below the module info node.
const SCategoryNode CATEGORIES[] = {
    {&g_PluginTelephony, 1005, L"Telephony"}, {&g_PluginSearch, 1006, L"Search"},
    {&g_PluginInfo, 1007, L"Inbound Action"}, {&g_PluginSave, 1008, L"Data Storage"},
    {&g_PluginExtra, 1009, L"Extra"},         {&g_PluginDebug, 1024, L"Trace"},
};

const COLORREF WHITE = RGB(255, 255, 255);

// A language text copied out of the shared lookup buffer.
void CopyText(UINT _uId, const wchar_t* _pszDefault, wchar_t* _pszOut, size_t _cchOut)
{
    StringCchCopyW(_pszOut, _cchOut, g_ResourceAccess.GetString(_uId, _pszDefault));
}

}   // namespace

HWND CSettingsTree::Create(HWND _hWndDlg, HFONT _hFont)
{
    m_mapNodeModule.clear();
    m_mapModuleNode.clear();
    m_hWndTree = CreateWindowExW(0, WC_TREEVIEWW, L"", TREE_STYLE, 0, 0, 0, 0, _hWndDlg,
                                 reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDC_SETTINGS_TREE)),
                                 GetModuleHandleW(nullptr), nullptr);
    if (!m_hWndTree)
        return nullptr;
    SendMessageW(m_hWndTree, WM_SETFONT, reinterpret_cast<WPARAM>(_hFont), FALSE);
    TreeView_SetBkColor(m_hWndTree, g_DlgColors.GetColor(QEL_COLOR_PANEBACK));
    wchar_t szText[NODE_TEXT_CHARS];
    CopyText(1004, L"Module info", szText, ARRAYSIZE(szText));
    m_ahRootNodes[0] = Insert(TVI_ROOT, TVI_LAST, szText, nullptr);
    for (int i = 0; i < static_cast<int>(ARRAYSIZE(CATEGORIES)); ++i)
        AddCategory(i + 1, i);
    return m_hWndTree;
}

void CSettingsTree::AddCategory(int _iRoot, int _iCategory)
{
    const SCategoryNode& category = CATEGORIES[_iCategory];
    for (int iSlot = 0; iSlot < CPluginBase::MAX_SLOTS; ++iSlot)
    {
        wchar_t szName[NODE_TEXT_CHARS];
        StringCchCopyW(szName, ARRAYSIZE(szName), category.pList->GetModuleName(iSlot));
        if (!szName[0])
            continue;
        if (!m_ahRootNodes[_iRoot])
        {
            wchar_t szCategory[NODE_TEXT_CHARS];
            CopyText(category.uTextId, category.pszDefault, szCategory, ARRAYSIZE(szCategory));
            m_ahRootNodes[_iRoot] = Insert(TVI_ROOT, TVI_LAST, szCategory, nullptr);
            if (!m_ahRootNodes[_iRoot])
                return;
        }
        Insert(m_ahRootNodes[_iRoot], TVI_SORT, szName, category.pList->GetModuleHandle(iSlot));
    }
}

HTREEITEM CSettingsTree::Insert(HTREEITEM _hParent, HTREEITEM _hAfter, const wchar_t* _pszText, HMODULE _hModule)
{
    // A failure while inserting or recording counts as a node that was not created.
    try
    {
        wchar_t szText[NODE_TEXT_CHARS];
        StringCchCopyW(szText, ARRAYSIZE(szText), _pszText);
        TVINSERTSTRUCTW insert = {};
        insert.hParent = _hParent;
        insert.hInsertAfter = _hAfter;
        insert.item.mask = TVIF_TEXT | TVIF_PARAM;
        insert.item.pszText = szText;
        insert.item.lParam = reinterpret_cast<LPARAM>(_hModule);
        const HTREEITEM hNode = TreeView_InsertItem(m_hWndTree, &insert);
        if (hNode && _hModule)
        {
            m_mapNodeModule[hNode] = _hModule;
            m_mapModuleNode[_hModule] = hNode;
        }
        return hNode;
    }
    catch (...)
    {
        return nullptr;
    }
}

void CSettingsTree::Forget()
{
    m_hWndTree = nullptr;
    for (HTREEITEM& hNode : m_ahRootNodes)
        hNode = nullptr;
}

HTREEITEM CSettingsTree::FindNode(HMODULE _hModule) const
{
    const auto it = _hModule ? m_mapModuleNode.find(_hModule) : m_mapModuleNode.end();
    return it != m_mapModuleNode.end() ? it->second : nullptr;
}

HMODULE CSettingsTree::FindModule(HTREEITEM _hNode) const
{
    const auto it = _hNode ? m_mapNodeModule.find(_hNode) : m_mapNodeModule.end();
    return it != m_mapNodeModule.end() ? it->second : nullptr;
}

void CSettingsTree::GetText(HTREEITEM _hNode, wchar_t* _pszText, int _cchText) const
{
    _pszText[0] = 0;
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = _hNode;
    item.pszText = _pszText;
    item.cchTextMax = _cchText;
    if (!_hNode || !TreeView_GetItem(m_hWndTree, &item))
        _pszText[0] = 0;
}

LRESULT CSettingsTree::OnCustomDraw(NMTVCUSTOMDRAW* _pDraw) const
{
    switch (_pDraw->nmcd.dwDrawStage)
    {
    case CDDS_PREPAINT: return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT: break;
    default: return CDRF_DODEFAULT;
    }
    // By the item state as a whole: selected and focused together counts as neither alone.
    // Every selected node has the selection ground, so that its text stays readable where the
    // control would draw the selection in a light colour of its own.
    const UINT uState = _pDraw->nmcd.uItemState;
    if (uState & CDIS_SELECTED)
        _pDraw->clrTextBk = QEL_SELECTION_COLOR;
    if (uState == CDIS_SELECTED)
        _pDraw->clrText = WHITE;
    else if (uState == CDIS_FOCUS)
        _pDraw->clrText = WHITE;
    else if (const HMODULE hModule = FindModule(reinterpret_cast<HTREEITEM>(_pDraw->nmcd.dwItemSpec)))
        _pDraw->clrText =
            g_DlgColors.GetColor(ReportsDisabled(hModule) ? QEL_COLOR_DISABLEDMODULETEXT : QEL_COLOR_MODULETEXT);
    else
        _pDraw->clrText = g_DlgColors.GetColor(QEL_COLOR_NODETEXT);
    return CDRF_NEWFONT;
}
