// The settings window: one modeless window with a tree of the host's and the plug-ins'
// pages on the left, the selected page on the right and the buttons Close, Apply and Help
// below it; its position and the plug-in sort rule are kept in section "General".
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "base/Handle.h"
#include "ui/HelpFile.h"
#include "ui/SettingsLayout.h"
#include "ui/SettingsTree.h"

class CQelConfig
{
public:
    CQelConfig() = default;
    virtual ~CQelConfig() = default;
    CQelConfig(const CQelConfig&) = delete;
    CQelConfig& operator=(const CQelConfig&) = delete;

    void LoadSettingsPosition();
    void SaveSettingsPosition();
    void ValidatePosition();
    const wchar_t* GetLoadSortRule() const { return m_szLoadSortRule; }
    const RECT& GetPosition() const { return m_rcPosition; }

    // The help file name (without folder).
    void SetHelpFile(const wchar_t* _pszHelpFile);
    // Brings an open window forward, else opens it at the module's node (a module value
    // without a node, 0 included, opens the module info page).
    void ShowConfig(UINT_PTR _uModule);
    // Closes the page, then the window as its Close button would (a pending change is asked about).
    void CloseConfig();
    bool IsOpen() const { return m_hWndDlg != nullptr; }
    HWND GetWindow() const { return m_hWndDlg; }
    void SetChanged(BOOL _bChanged) { m_bChanged = _bChanged; }
    // A page reported a change that is neither applied nor dropped yet.
    bool IsChanged() const { return m_bChanged != FALSE; }
    // Apply enabled exactly while a change is pending; Help shown only when the help file exists.
    void UpdateButtons();
    void ApplyModuleStates();
    void RefreshModuleList();
    HWND GetTree() const { return m_Tree.GetWindow(); }
    void SelectNode(HTREEITEM _hNode);
    void OnSettingsKeyUp(HWND _hWndFocus, WPARAM _wKey);
    // Opens the help file at the topic's page (HelpFile.h); forwards WM_HELP to the open
    // page when asked to.
    void ShowHelp(int _iTopic, BOOL _bForward);
    // The help file's full path (program folder, then HELP below the Windows folder); false
    // when it exists in neither.
    bool FindHelpFile(wchar_t* _pszPath, size_t _cchPath) const;

private:
    static INT_PTR CALLBACK DialogProc(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    INT_PTR OnMessage(HWND _hDlg, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    void OnInitDialog(HWND _hDlg, HMODULE _hModule);
    void MakeFonts();
    void OnDpiChanged(WPARAM _wParam, LPARAM _lParam);
    RECT WorkArea() const;
    void CreateControls();
    void SetTexts();
    bool OnNotify(const NMHDR* _pHeader, LRESULT* _plResult);
    // false when the user keeps the pending change (Cancel); Yes has applied it.
    bool AskToApply();
    void OnSelectionChanged(HTREEITEM _hNode);
    void ClosePage();
    void Apply();
    void Close();
    void LayOut();
    void StorePosition();
    void PlaceWindow();
    HWND Control(ESettingsControl _eControl) const { return m_ahWndControls[_eControl]; }

    wchar_t m_szHelpFile[512] = L"";
    HWND m_hWndDlg = nullptr;
    HWND m_ahWndControls[SETTINGS_CONTROL_COUNT] = {};   // the page is SETTINGS_PAGE
    CSettingsTree m_Tree;
    HMODULE m_hSelectedModule = nullptr;
    BOOL m_bChanged = FALSE;
    int m_iDpi = BASE_DPI;
    CGdiObject m_hFontNormal;   // the dialog fonts at the window's DPI
    CGdiObject m_hFontLarge;
    RECT m_rcPosition = {};
    int m_iUseLoadSortRule = 0;
    wchar_t m_szLoadSortRule[1023] = L"";
    BOOL m_bLoadSortRuleCut = FALSE;   // the stored rule did not fit: it is never written back
};

extern CQelConfig g_QelConfig;
extern wchar_t g_szHelpLink[512];   // help link text; nothing fills it
