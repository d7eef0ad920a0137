// The settings window's tree: the module info node, one node per category with a named
// plug-in and below it one node per plug-in, sorted by name; the maps between nodes and
// modules, and the colours of the nodes.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <map>

class CSettingsTree
{
public:
    static const int ROOT_NODES = 7;   // module info and the six categories
    static const int NODE_TEXT_CHARS = 256;

    CSettingsTree() = default;
    CSettingsTree(const CSettingsTree&) = delete;
    CSettingsTree& operator=(const CSettingsTree&) = delete;

    // Creates the tree control (id 2001) in the window with the font and fills it from the
    // six module lists; null when the control cannot be created.
    HWND Create(HWND _hWndDlg, HFONT _hFont);
    // Forgets the control and its root nodes (the window is gone); the maps stay.
    void Forget();
    HWND GetWindow() const { return m_hWndTree; }
    HTREEITEM GetModuleInfoNode() const { return m_ahRootNodes[0]; }
    // The node of the module; null when it has none.
    HTREEITEM FindNode(HMODULE _hModule) const;
    // The module of a plug-in node; null for the other nodes.
    HMODULE FindModule(HTREEITEM _hNode) const;
    // The node's text, cut to the buffer; empty when there is none.
    void GetText(HTREEITEM _hNode, wchar_t* _pszText, int _cchText) const;
    // NM_CUSTOMDRAW of the tree: the colours of selected, focused, plug-in and other nodes.
    LRESULT OnCustomDraw(NMTVCUSTOMDRAW* _pDraw) const;

private:
    // Inserts a node; null when the insertion failed (the module is then not mapped).
    HTREEITEM Insert(HTREEITEM _hParent, HTREEITEM _hAfter, const wchar_t* _pszText, HMODULE _hModule);
    void AddCategory(int _iRoot, int _iCategory);

    HWND m_hWndTree = nullptr;
    HTREEITEM m_ahRootNodes[ROOT_NODES] = {};
    std::map<HTREEITEM, HMODULE> m_mapNodeModule;
    std::map<HMODULE, HTREEITEM> m_mapModuleNode;
};
