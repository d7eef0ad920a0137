// Helpers of the settings window tests: a host with test plug-ins that have settings pages,
// its settings window and tree read from this process, the question box, the page
// plug-in's log and the shared block's plug-in identifier.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "GuiTest.h"
#include "HostMemory.h"
#include "TrayGui.h"

// One copy of the settings page plug-in.
struct SPagePlugin
{
    std::wstring strCategory;   // folder, for example "PluginTelephony"
    std::wstring strFile;       // base name of the copy, "PluginSettingsPage" + suffix
    std::wstring strName;       // DLL_GetPluginName (empty: no name)
    int iId = 0;
    int iCanDisable = 0;
    int iDisabled = 0;
};

using tvr::CRemoteBuffer;

class CSettingsHostTest : public GuiTest
{
protected:
    void SetUp() override;
    void TearDown() override;
    void AddPage(const SPagePlugin& _page);
    // The stored "Position" before the start.
    void StorePosition(const std::wstring& _strPosition);
    std::wstring StoredPosition() const;
    // Starts the host and waits until every page plug-in had its after-load call (the host's
    // start is then over: a window opened earlier would list can-disable values not yet asked).
    void StartHost();
    // The tray's settings item; the settings window once it is shown, else null.
    HWND OpenSettings();
    HWND WaitForSettings(DWORD _dwMs = WAIT_MS);
    HWND Tree() const { return GetDlgItem(m_hWndSettings, 2001); }
    HWND Button(int _iId) const { return GetDlgItem(m_hWndSettings, _iId); }
    HWND Title() const;
    // The page: the settings window's child that is none of its own controls; null when none.
    HWND Page() const;

    std::wstring ItemText(HTREEITEM _hItem) const;
    std::vector<std::wstring> ChildTexts(HTREEITEM _hParent) const;   // null: the roots
    HTREEITEM FindItem(const std::wstring& _strRoot, const std::wstring& _strChild = L"") const;
    std::wstring SelectedText() const;
    // Selects an item the way a click does (posted: a question box may hold the host).
    void Select(HTREEITEM _hItem) const;
    bool WaitSelected(const std::wstring& _strText) const;
    // A bus message 1152 as a page posts it when the user changes something.
    void ReportChange() const;
    // The question box of the host; null when none appears.
    HWND WaitForQuestion() const;
    // Presses the box's button (6 Yes, 7 No, 2 Cancel) and waits for the box to go.
    void Answer(HWND _hWndBox, int _iButton) const;
    // The control's rectangle in the settings window's client coordinates.
    RECT ClientRectOf(HWND _hWndControl) const;

    // The module info page's list and the row with the name in its first column (-1: none).
    HWND ModuleList() const;
    int RowOf(const std::wstring& _strName) const;
    // A tree item's text rectangle on the screen.
    RECT ItemOnScreen(HTREEITEM _hItem) const;
    // Message 1157 with a record in the host's memory: scheme, font and language change.
    void ChangeScheme(int _iScheme, const std::wstring& _strLanguage) const;

    std::vector<std::string> LogLines() const;
    bool WaitForLog(const std::string& _strLine, DWORD _dwMs = WAIT_MS) const;
    bool HasLog(const std::string& _strLine) const;
    // Offset 4 of the host's shared block.
    LONG SharedPluginId() const;
    // The module handle the host loaded the copy at; null when not found.
    HMODULE ModuleInHost(const std::wstring& _strFile) const;

    tvr::CInstallFolder m_Folder;
    tvr::CHostProcess m_Host;
    std::wstring m_strName;   // base name of this test's program copy (its INI file's name)
    std::wstring m_strLog;
    HWND m_hWnd = nullptr;
    HWND m_hWndSettings = nullptr;
    size_t m_uPages = 0;
};
