// The SDK's settings page helpers against a real parent window standing in for the settings
// window: the page is its child and takes its brush, colours and drawing.
#include <gtest/gtest.h>

#include "TelvarinPlugin.h"

namespace {

const wchar_t PARENT_CLASS[] = L"SdkTestSettingsWindow";
const wchar_t PAGE_CLASS[] = L"SdkTestSettingsPage";
const COLORREF BACKGROUND = RGB(10, 200, 30);
const LRESULT ANSWER_BASE = 0x10000;   // the parent answers message m with ANSWER_BASE + m

LRESULT CALLBACK ParentProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    static const HBRUSH s_hbrBackground = CreateSolidBrush(BACKGROUND);
    switch (_uMsg)
    {
    case WM_CTLCOLORDLG: return reinterpret_cast<LRESULT>(s_hbrBackground);
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM: return ANSWER_BASE + _uMsg;
    default: return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
    }
}

LRESULT CALLBACK PageProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    return DefSettingsPageProc(_hWnd, _uMsg, _wParam, _lParam);
}

class SdkSettingsPage : public ::testing::Test
{
protected:
    void SetUp() override
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = PARENT_CLASS;
        RegisterClassW(&wc);
        m_hWndParent = CreateWindowExW(0, PARENT_CLASS, L"", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                       wc.hInstance, nullptr);
        ASSERT_NE(nullptr, m_hWndParent);
        m_hWndPage = CreateSettingsPage(m_hWndParent, PAGE_CLASS, PageProc, 120, 80);
        ASSERT_NE(nullptr, m_hWndPage);
    }
    void TearDown() override { DestroyWindow(m_hWndParent); }

    HWND m_hWndParent = nullptr;
    HWND m_hWndPage = nullptr;
};

}   // namespace

TEST_F(SdkSettingsPage, IsAVisibleChildThatTabMovesThroughAndCanBeMadeAgain)
{
    EXPECT_EQ(m_hWndParent, GetParent(m_hWndPage));
    EXPECT_EQ(WS_CHILD | WS_VISIBLE, GetWindowLongPtrW(m_hWndPage, GWL_STYLE) & (WS_CHILD | WS_VISIBLE));
    EXPECT_NE(0, GetWindowLongPtrW(m_hWndPage, GWL_EXSTYLE) & WS_EX_CONTROLPARENT);
    // The class registered by the first page serves the next one.
    const HWND hWndSecond = CreateSettingsPage(m_hWndParent, PAGE_CLASS, PageProc, 120, 80);
    EXPECT_NE(nullptr, hWndSecond);
    EXPECT_NE(m_hWndPage, hWndSecond);
}

TEST_F(SdkSettingsPage, HandsColoursAndDrawingToTheSettingsWindow)
{
    for (const UINT uMsg : {WM_CTLCOLORSTATIC, WM_CTLCOLOREDIT, WM_CTLCOLORLISTBOX, WM_DRAWITEM})
        EXPECT_EQ(ANSWER_BASE + uMsg, SendMessageW(m_hWndPage, uMsg, 0, 0)) << uMsg;
    // Anything else is the page's own: a text set stays with it.
    SendMessageW(m_hWndPage, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"own"));
    wchar_t szText[8] = L"";
    GetWindowTextW(m_hWndPage, szText, ARRAYSIZE(szText));
    EXPECT_STREQ(L"own", szText);
}

TEST_F(SdkSettingsPage, FillsItsBackgroundWithTheSettingsWindowsBrush)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = 120;
    info.bmiHeader.biHeight = 80;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* pBits = nullptr;
    const HBITMAP hBitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &pBits, nullptr, 0);
    const HDC hdc = CreateCompatibleDC(nullptr);
    const HGDIOBJ hOld = SelectObject(hdc, hBitmap);
    EXPECT_EQ(1, SendMessageW(m_hWndPage, WM_ERASEBKGND, reinterpret_cast<WPARAM>(hdc), 0));
    EXPECT_EQ(BACKGROUND, GetPixel(hdc, 0, 0));
    EXPECT_EQ(BACKGROUND, GetPixel(hdc, 119, 79));
    SelectObject(hdc, hOld);
    DeleteDC(hdc);
    DeleteObject(hBitmap);
}
