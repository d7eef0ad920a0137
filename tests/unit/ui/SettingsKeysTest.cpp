// Where Tab moves the focus in the settings window: the rules between the tree, the page
// and the three buttons, with real windows of this process.
#include <gtest/gtest.h>
#include <windows.h>

#include "ui/SettingsKeys.h"

namespace {

class SettingsFocus : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // Visible: a control counts as able to take the focus only when its window is shown.
        m_w.hWndDlg = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 0, 0, 400, 300, nullptr, nullptr, nullptr, nullptr);
        m_w.hWndTree = Child(m_w.hWndDlg, L"STATIC", 0);
        m_w.hWndPage = Child(m_w.hWndDlg, L"STATIC", WS_EX_CONTROLPARENT);
        m_hWndEdit = Child(m_w.hWndPage, L"EDIT", 0, WS_TABSTOP);
        m_hWndLabel = Child(m_w.hWndPage, L"STATIC", 0);
        m_hWndCheck = Child(m_w.hWndPage, L"BUTTON", 0, WS_TABSTOP);
        m_w.hWndClose = Child(m_w.hWndDlg, L"BUTTON", 0, WS_TABSTOP);
        m_w.hWndApply = Child(m_w.hWndDlg, L"BUTTON", 0, WS_TABSTOP);
        m_w.hWndHelp = Child(m_w.hWndDlg, L"BUTTON", 0, WS_TABSTOP);
    }
    void TearDown() override { DestroyWindow(m_w.hWndDlg); }
    static HWND Child(HWND _hWndParent, const wchar_t* _pszClass, DWORD _dwExStyle, DWORD _dwStyle = 0)
    {
        return CreateWindowExW(_dwExStyle, _pszClass, L"", WS_CHILD | WS_VISIBLE | _dwStyle, 0, 0, 50, 20, _hWndParent,
                               nullptr, nullptr, nullptr);
    }

    SSettingsFocusWindows m_w = {};
    HWND m_hWndEdit = nullptr;
    HWND m_hWndLabel = nullptr;
    HWND m_hWndCheck = nullptr;
};

} // namespace

TEST_F(SettingsFocus, TreePageAndButtonsFollowTheirOrderSkippingWhatCannotTakeTheFocus)
{
    EXPECT_EQ(m_hWndEdit, NextSettingsFocus(m_w, m_w.hWndTree)) << "the page's first tab stop";
    EXPECT_EQ(m_hWndCheck, NextSettingsFocus(m_w, m_hWndEdit)) << "the label has no tab stop";
    EXPECT_EQ(m_w.hWndClose, NextSettingsFocus(m_w, m_hWndCheck)) << "the page's last control";
    EXPECT_EQ(m_w.hWndApply, NextSettingsFocus(m_w, m_w.hWndClose));
    EXPECT_EQ(m_w.hWndHelp, NextSettingsFocus(m_w, m_w.hWndApply));
    EXPECT_EQ(m_w.hWndTree, NextSettingsFocus(m_w, m_w.hWndHelp));
    // Apply disabled and Help hidden: from Close straight back to the tree.
    EnableWindow(m_w.hWndApply, FALSE);
    EXPECT_EQ(m_w.hWndHelp, NextSettingsFocus(m_w, m_w.hWndClose));
    ShowWindow(m_w.hWndHelp, SW_HIDE);
    EXPECT_EQ(m_w.hWndTree, NextSettingsFocus(m_w, m_w.hWndClose));
    EnableWindow(m_w.hWndApply, TRUE);
    EXPECT_EQ(m_w.hWndTree, NextSettingsFocus(m_w, m_w.hWndApply));
    // A disabled page, or none, is passed over; a page without a tab stop gives the tree.
    EnableWindow(m_w.hWndPage, FALSE);
    EXPECT_EQ(m_w.hWndClose, NextSettingsFocus(m_w, m_w.hWndTree));
    EnableWindow(m_w.hWndPage, TRUE);
    EnableWindow(m_hWndEdit, FALSE);
    EnableWindow(m_hWndCheck, FALSE);
    EXPECT_EQ(m_w.hWndTree, NextSettingsFocus(m_w, m_w.hWndTree));
    SSettingsFocusWindows noPage = m_w;
    noPage.hWndPage = nullptr;
    EXPECT_EQ(m_w.hWndClose, NextSettingsFocus(noPage, m_w.hWndTree));
}
