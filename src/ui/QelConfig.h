// The settings window object. Its start and exit handling of "Position", "UseLoadSortRule"
// and "PluginLoadSortRule" is here; the window itself arrives with the settings window issue,
// until then the window operations do nothing and the window is never open.
#pragma once
#include <windows.h>
#include <commctrl.h>

class CQelConfig
{
public:
    CQelConfig() = default;
    virtual ~CQelConfig() = default;

    void LoadSettingsPosition();
    void SaveSettingsPosition();
    void ValidatePosition();
    const wchar_t* GetLoadSortRule() const { return m_szLoadSortRule; }
    const RECT& GetPosition() const { return m_rcPosition; }

    void ShowConfig(UINT_PTR) {}
    void CloseConfig() {}
    bool IsOpen() const { return m_hWndDlg != nullptr; }
    void SetChanged(BOOL _bChanged) { m_bChanged = _bChanged; }
    void UpdateButtons() {}
    void ApplyModuleStates() {}
    void RefreshModuleList() {}
    HWND GetTree() const { return nullptr; }
    void SelectNode(HTREEITEM) {}
    void OnSettingsKeyUp(HWND, WPARAM) {}
    void ShowHelp(int, BOOL) {}
private:
    HWND m_hWndDlg = nullptr;
    BOOL m_bChanged = FALSE;
    RECT m_rcPosition = {};
    int m_iUseLoadSortRule = 0;
    wchar_t m_szLoadSortRule[1023] = L"";
    BOOL m_bLoadSortRuleCut = FALSE;   // the stored rule did not fit: it is never written back
};

extern CQelConfig g_QelConfig;
extern wchar_t g_szHelpLink[512];   // help link text; nothing fills it
