#include <gtest/gtest.h>
#include <windows.h>
#include <future>
#include <string>
#include <vector>

#include "ui/QelDlgColors.h"
#include "ui/QelMessageBox.h"

namespace {

const DWORD FIND_TIMEOUT_MS = 5000;

// What another thread sees of an open box: its rectangle, children in client coordinates.
struct SBoxView
{
    HWND hWndBox = nullptr;
    RECT rcBox = {};
    std::wstring strTitle;
    std::vector<HWND> buttons;
    std::vector<RECT> buttonRects;
    RECT rcText = {};
    RECT rcIcon = {};
    bool bIcon = false;
    HWND hWndFocus = nullptr;
};

RECT ChildRect(HWND _hWndBox, HWND _hWndChild)
{
    RECT rc = {};
    GetWindowRect(_hWndChild, &rc);
    MapWindowPoints(nullptr, _hWndBox, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

HWND FindBox(DWORD _dwThreadId)
{
    const DWORD dwEnd = GetTickCount() + FIND_TIMEOUT_MS;
    while (GetTickCount() < dwEnd)
    {
        HWND hWnd = FindWindowW(L"QelMessageBoxClass", nullptr);
        DWORD_PTR dwResult = 0;
        // The box thread answers only from its modal loop, that is once the box is built.
        if (hWnd && GetWindowThreadProcessId(hWnd, nullptr) == _dwThreadId
            && SendMessageTimeoutW(hWnd, WM_NULL, 0, 0, SMTO_BLOCK, FIND_TIMEOUT_MS, &dwResult) && IsWindowVisible(hWnd))
            return hWnd;
        Sleep(20);
    }
    return nullptr;
}

SBoxView ReadBox(DWORD _dwThreadId)
{
    SBoxView view;
    view.hWndBox = FindBox(_dwThreadId);
    if (!view.hWndBox)
        return view;
    GetWindowRect(view.hWndBox, &view.rcBox);
    wchar_t szTitle[256] = L"";
    GetWindowTextW(view.hWndBox, szTitle, ARRAYSIZE(szTitle));
    view.strTitle = szTitle;
    for (HWND hChild = GetWindow(view.hWndBox, GW_CHILD); hChild; hChild = GetWindow(hChild, GW_HWNDNEXT))
    {
        wchar_t szClass[32] = L"";
        GetClassNameW(hChild, szClass, ARRAYSIZE(szClass));
        if (_wcsicmp(szClass, L"Button") == 0)
        {
            view.buttons.push_back(hChild);
            view.buttonRects.push_back(ChildRect(view.hWndBox, hChild));
        }
        else if (GetWindowLongW(hChild, GWL_STYLE) & SS_ICON)
        {
            view.bIcon = true;
            view.rcIcon = ChildRect(view.hWndBox, hChild);
        }
        else
            view.rcText = ChildRect(view.hWndBox, hChild);
    }
    GUITHREADINFO info = {};
    info.cbSize = sizeof(info);
    if (GetGUIThreadInfo(_dwThreadId, &info))
        view.hWndFocus = info.hwndFocus;
    return view;
}

// Runs a box on a thread of its own, as a user's thread would, and lets the test drive it.
class CBoxRun
{
public:
    CBoxRun(const wchar_t* _pszText, const wchar_t* _pszCaption, UINT _uFlags)
    {
        std::promise<DWORD> threadId;
        m_ThreadId = threadId.get_future();
        m_Result = std::async(std::launch::async, [=, &threadId]() {
            threadId.set_value(GetCurrentThreadId());
            return g_MessageBox.ShowMessageBox(nullptr, _pszText, _pszCaption, _uFlags);
        });
        m_dwThreadId = m_ThreadId.get();
    }
    DWORD ThreadId() const { return m_dwThreadId; }
    // The result, or -1 when the box did not end within the time.
    int Result()
    {
        return m_Result.wait_for(std::chrono::seconds(10)) == std::future_status::ready ? m_Result.get() : -1;
    }
private:
    std::future<DWORD> m_ThreadId;
    std::future<int> m_Result;
    DWORD m_dwThreadId = 0;
};

LONG Width(const RECT& _rc) { return _rc.right - _rc.left; }

bool IsDefaultButton(HWND _hWnd)
{
    return (GetWindowLongW(_hWnd, GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

} // namespace

TEST(QelMessageBox, YesNoCancelWithExclamationIsLaidOutForThreeButtons)
{
    CBoxRun run(L"Apply the changed settings?", L"Question", 0x40033);
    const SBoxView view = ReadBox(run.ThreadId());
    ASSERT_NE(nullptr, view.hWndBox);
    ASSERT_EQ(3u, view.buttons.size());
    const LONG alX[] = {100, 190, 280};
    const int aiIds[] = {IDYES, IDNO, IDCANCEL};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(alX[i], view.buttonRects[i].left);
        EXPECT_EQ(100, view.buttonRects[i].top);
        EXPECT_EQ(80, Width(view.buttonRects[i]));
        EXPECT_EQ(aiIds[i], GetDlgCtrlID(view.buttons[i]));
    }
    EXPECT_EQ(470, Width(view.rcBox));
    EXPECT_EQ(175, view.rcBox.bottom - view.rcBox.top);
    ASSERT_TRUE(view.bIcon);
    EXPECT_EQ(415, view.rcIcon.left);
    EXPECT_EQ(25, view.rcIcon.top);
    EXPECT_EQ(390, Width(view.rcText));
    EXPECT_EQ(10, view.rcText.left);
    EXPECT_EQ(view.buttons[0], view.hWndFocus);
    EXPECT_TRUE(IsDefaultButton(view.buttons[0]));
    EXPECT_FALSE(IsDefaultButton(view.buttons[1]));
    EXPECT_TRUE(GetWindowLongW(view.hWndBox, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(L"Question", view.strTitle);
    SendMessageW(view.buttons[1], BM_CLICK, 0, 0);
    EXPECT_EQ(IDNO, run.Result());
    EXPECT_FALSE(IsWindow(view.hWndBox));
}

TEST(QelMessageBox, EachButtonOfASetReturnsItsId)
{
    const UINT auFlags[] = {MB_YESNOCANCEL, MB_YESNOCANCEL, MB_ABORTRETRYIGNORE, MB_CANCELTRYCONTINUE};
    const size_t auButton[] = {0, 2, 2, 2};
    const int aiExpected[] = {IDYES, IDCANCEL, IDIGNORE, IDCONTINUE};
    for (size_t i = 0; i < ARRAYSIZE(auFlags); ++i)
    {
        CBoxRun run(L"text", L"caption", auFlags[i]);
        const SBoxView view = ReadBox(run.ThreadId());
        ASSERT_GT(view.buttons.size(), auButton[i]);
        SendMessageW(view.buttons[auButton[i]], BM_CLICK, 0, 0);
        EXPECT_EQ(aiExpected[i], run.Result()) << i;
    }
}

TEST(QelMessageBox, SecondButtonDefaultTakesTheFocus)
{
    CBoxRun run(L"Close anyway?", L"Question", 0x40131);
    const SBoxView view = ReadBox(run.ThreadId());
    ASSERT_EQ(2u, view.buttons.size());
    EXPECT_EQ(380, Width(view.rcBox));
    EXPECT_EQ(325, view.rcIcon.left);
    EXPECT_EQ(view.buttons[1], view.hWndFocus);
    EXPECT_TRUE(IsDefaultButton(view.buttons[1]));
    EXPECT_FALSE(IsDefaultButton(view.buttons[0]));
    SendMessageW(view.buttons[0], BM_CLICK, 0, 0);
    EXPECT_EQ(IDOK, run.Result());
}

TEST(QelMessageBox, HandIconWithOneOkButtonAndTheProductNameForANullCaption)
{
    CBoxRun run(L"This program will be closed.", nullptr, MB_ICONHAND);
    const SBoxView view = ReadBox(run.ThreadId());
    ASSERT_EQ(1u, view.buttons.size());
    EXPECT_EQ(100, view.buttonRects[0].left);
    EXPECT_EQ(290, Width(view.rcBox));
    EXPECT_EQ(235, view.rcIcon.left);
    EXPECT_EQ(210, Width(view.rcText));
    EXPECT_EQ(L"Telvarin", view.strTitle);
    EXPECT_EQ(20, view.rcBox.left);   // no owner: at 20, 20
    EXPECT_EQ(20, view.rcBox.top);
    SendMessageW(view.buttons[0], BM_CLICK, 0, 0);
    EXPECT_EQ(IDOK, run.Result());
}

TEST(QelMessageBox, WithoutButtonsOnlyAcceptedIdsOrCloseEndIt)
{
    CBoxRun run(L"No buttons", L"", 7);
    const SBoxView view = ReadBox(run.ThreadId());
    ASSERT_NE(nullptr, view.hWndBox);
    EXPECT_TRUE(view.buttons.empty());
    EXPECT_FALSE(view.bIcon);
    EXPECT_EQ(200, Width(view.rcBox));
    EXPECT_EQ(180, Width(view.rcText));
    EXPECT_EQ(L"Telvarin", view.strTitle);   // an empty caption too
    PostMessageW(view.hWndBox, WM_COMMAND, 8, 0);
    PostMessageW(view.hWndBox, WM_COMMAND, 12, 0);
    Sleep(200);
    EXPECT_TRUE(IsWindow(view.hWndBox));
    PostMessageW(view.hWndBox, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, run.Result());

    CBoxRun second(L"No buttons", L"", 15);
    const SBoxView secondView = ReadBox(second.ThreadId());
    ASSERT_NE(nullptr, secondView.hWndBox);
    PostMessageW(secondView.hWndBox, WM_COMMAND, IDCONTINUE, 0);
    EXPECT_EQ(IDCONTINUE, second.Result());
}

TEST(QelMessageBox, ClassIsUnregisteredAfterTheBoxAndTheBoxUsesTheScheme)
{
    g_DlgColors.SetScheme(1);
    {
        CBoxRun run(L"dark", L"scheme", MB_OK);
        const SBoxView view = ReadBox(run.ThreadId());
        ASSERT_NE(nullptr, view.hWndBox);
        const HBRUSH hbrClass = reinterpret_cast<HBRUSH>(GetClassLongPtrW(view.hWndBox, GCLP_HBRBACKGROUND));
        LOGBRUSH lb = {};
        ASSERT_EQ(static_cast<int>(sizeof(lb)), GetObjectW(hbrClass, sizeof(lb), &lb));
        EXPECT_EQ(0x3F3F3Fu, lb.lbColor);
        PostMessageW(view.hWndBox, WM_KEYDOWN, VK_RETURN, 0);   // the focused default button
        EXPECT_EQ(IDOK, run.Result());
    }
    g_DlgColors.SetScheme(0);
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    EXPECT_FALSE(GetClassInfoExW(GetModuleHandleW(nullptr), L"QelMessageBoxClass", &wc));
}

TEST(QelMessageBox, ByIdWithoutTextsShowsNothingAndAnswersCancel)
{
    // No language module is loaded here: every text is empty.
    EXPECT_EQ(IDCANCEL, g_MessageBox.ShowMessageBoxById(nullptr, 0, 1029, MB_ICONHAND));
    EXPECT_EQ(nullptr, FindWindowW(L"QelMessageBoxClass", nullptr));
}

// A DPI change sent from another thread: the box keeps its corner and scales every part by
// 1.5 with its font; the rectangle at lParam (here one far off the screen) is not read.
TEST(QelMessageBox, At144DpiEveryPartAndTheFontScaleAndTheBoxStaysOnTheScreen)
{
    CBoxRun run(L"Apply the changed settings?", L"Question", 0x40033);
    const SBoxView before = ReadBox(run.ThreadId());
    ASSERT_NE(nullptr, before.hWndBox);
    LOGFONTW lf = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(before.buttons[0], WM_GETFONT, 0, 0)), sizeof(lf), &lf);
    const RECT rcFarOff = {-9000, -9000, 30000, 30000};
    SendMessageW(before.hWndBox, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rcFarOff));

    const SBoxView view = ReadBox(run.ThreadId());
    ASSERT_EQ(3u, view.buttons.size());
    EXPECT_EQ(before.rcBox.left, view.rcBox.left);
    EXPECT_EQ(before.rcBox.top, view.rcBox.top);
    EXPECT_EQ(705, Width(view.rcBox));
    EXPECT_EQ(263, view.rcBox.bottom - view.rcBox.top);
    const LONG alX[] = {150, 285, 420};
    for (size_t i = 0; i < 3; ++i)
    {
        EXPECT_EQ(alX[i], view.buttonRects[i].left);
        EXPECT_EQ(150, view.buttonRects[i].top);
        EXPECT_EQ(120, Width(view.buttonRects[i]));
    }
    EXPECT_EQ(623, view.rcIcon.left);
    EXPECT_EQ(585, Width(view.rcText));
    LOGFONTW lfScaled = {};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(view.buttons[0], WM_GETFONT, 0, 0)), sizeof(lfScaled), &lfScaled);
    EXPECT_EQ(MulDiv(lf.lfHeight, 144, 96), lfScaled.lfHeight);
    SendMessageW(view.buttons[2], BM_CLICK, 0, 0);
    EXPECT_EQ(IDCANCEL, run.Result());
}
