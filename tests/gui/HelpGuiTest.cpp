// The help viewer opened by the real host from its settings window: with the Help button and
// with F1. Wine has no HTML engine here, so the viewer shows its frame and the file's
// contents but no page, and nothing of it tells which page it shows; which page each place
// asks for is checked in the unit tests (HelpTopic), that the file holds it in HelpFile.
#include <windows.h>
#include <commctrl.h>

#include "Screen.h"
#include "SettingsGui.h"

namespace {

const wchar_t VIEWER_CLASS[] = L"HH Parent";
const wchar_t VIEWER_TITLE[] = L"Telvarin Help";   // the title the help project gives the file
const int CONTENTS_ENTRIES = 9;

// Keeps the first tree view among the children.
BOOL CALLBACK FindTree(HWND _hWnd, LPARAM _lFound)
{
    wchar_t szClass[32] = L"";
    GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass));
    if (lstrcmpW(szClass, WC_TREEVIEWW) != 0)
        return TRUE;
    *reinterpret_cast<HWND*>(_lFound) = _hWnd;
    return FALSE;
}

class HelpViewer : public CSettingsHostTest
{
protected:
    // Starts the host with the help file beside it and opens the settings window.
    void Open()
    {
        ASSERT_TRUE(m_Folder.AddHelpFile());
        StartHost();
        ASSERT_NE(nullptr, OpenSettings());
        ASSERT_TRUE(WaitSelected(L"Module info"));
        ASSERT_TRUE(IsWindowVisible(Button(IDHELP)));
    }
    // The host's viewer window once it is shown, else null.
    HWND WaitForViewer() const
    {
        HWND hWnd = nullptr;
        tvr::WaitUntil([&]() { return (hWnd = FindProcessWindow(m_Host.Pid(), VIEWER_CLASS)) != nullptr; }, WAIT_MS);
        return hWnd;
    }
    // The entries of the viewer's table of contents; 0 while it has none.
    static int ContentsEntries(HWND _hWndViewer)
    {
        HWND hWndContents = nullptr;
        EnumChildWindows(_hWndViewer, FindTree, reinterpret_cast<LPARAM>(&hWndContents));
        return hWndContents ? static_cast<int>(SendMessageW(hWndContents, TVM_GETCOUNT, 0, 0)) : 0;
    }
    // The viewer shows the host's help file: its title and its table of contents.
    static void ExpectHelpFile(HWND _hWndViewer)
    {
        wchar_t szTitle[128] = L"";
        GetWindowTextW(_hWndViewer, szTitle, ARRAYSIZE(szTitle));
        EXPECT_STREQ(VIEWER_TITLE, szTitle);
        tvr::WaitUntil([&]() { return ContentsEntries(_hWndViewer) == CONTENTS_ENTRIES; }, WAIT_MS);
        EXPECT_EQ(CONTENTS_ENTRIES, ContentsEntries(_hWndViewer));
    }
};

TEST_F(HelpViewer, HelpButtonOpensTheHelpFile)
{
    Open();
    EXPECT_EQ(nullptr, FindProcessWindow(m_Host.Pid(), VIEWER_CLASS));
    PostMessageW(Button(IDHELP), BM_CLICK, 0, 0);
    const HWND hWndViewer = WaitForViewer();
    ASSERT_NE(nullptr, hWndViewer);
    ExpectHelpFile(hWndViewer);
    // The picture of the viewer: moved inside the desktop, which is lower than its default size.
    SetWindowPos(hWndViewer, HWND_TOP, 20, 20, 740, 560, SWP_SHOWWINDOW);
    tvr::WaitUntil([&]() {
        RECT rc = {};
        return GetWindowRect(hWndViewer, &rc) && rc.left == 20 && rc.bottom == 580;
    }, WAIT_MS);
    RECT rcViewer = {};
    ASSERT_TRUE(GetWindowRect(hWndViewer, &rcViewer));
    Sleep(300);   // the viewer's own controls repaint after the move; only the picture waits
    EXPECT_TRUE(CScreenImage(rcViewer).SavePng(L"help-viewer"));
}

TEST_F(HelpViewer, F1InTheSettingsWindowOpensTheHelpFile)
{
    Open();
    SetForegroundWindow(m_hWndSettings);
    ASSERT_TRUE(tvr::WaitUntil([&]() { return GetForegroundWindow() == m_hWndSettings; }, WAIT_MS));
    INPUT keys[2] = {{INPUT_KEYBOARD, {}}, {INPUT_KEYBOARD, {}}};
    keys[0].ki.wVk = VK_F1;
    keys[1].ki.wVk = VK_F1;
    keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, keys, sizeof(INPUT));
    const HWND hWndViewer = WaitForViewer();
    ASSERT_NE(nullptr, hWndViewer);
    ExpectHelpFile(hWndViewer);
}

} // namespace
