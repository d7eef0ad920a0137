#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "ui/QelDlgColors.h"

namespace {

COLORREF BrushColor(HBRUSH _hbr)
{
    LOGBRUSH lb = {};
    return GetObjectW(_hbr, sizeof(lb), &lb) == sizeof(lb) ? lb.lbColor : CLR_INVALID;
}

LONG FontHeight(HFONT _hFont, std::wstring* _pstrFace = nullptr)
{
    LOGFONTW lf = {};
    if (GetObjectW(_hFont, sizeof(lf), &lf) != sizeof(lf))
        return -1;
    if (_pstrFace)
        *_pstrFace = lf.lfFaceName;
    EXPECT_EQ(FW_NORMAL, lf.lfWeight);
    return lf.lfHeight;
}

void ExpectHeights(const wchar_t* _pszFace, LONG _lNormal, LONG _lMedium, LONG _lLarge)
{
    const CQelDlgFonts fonts(_pszFace);
    EXPECT_EQ(_lNormal, FontHeight(fonts.GetNormalFont())) << _pszFace;
    EXPECT_EQ(_lMedium, FontHeight(fonts.GetMediumFont())) << _pszFace;
    EXPECT_EQ(_lLarge, FontHeight(fonts.GetLargeFont())) << _pszFace;
}

// A parent window with one static child, to pass the colour messages and draw items.
class CLookWindows
{
public:
    CLookWindows()
    {
        m_hWndParent = CreateWindowExW(0, L"STATIC", L"parent", WS_POPUP, 0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
        m_hWndChild = CreateWindowExW(0, L"STATIC", L"child", WS_CHILD, 0, 0, 50, 20, m_hWndParent, nullptr, nullptr, nullptr);
        m_hWndButton = CreateWindowExW(0, L"BUTTON", L"Press", WS_CHILD | BS_OWNERDRAW, 0, 30, 80, 25, m_hWndParent,
                                       nullptr, nullptr, nullptr);
    }
    ~CLookWindows() { DestroyWindow(m_hWndParent); }
    HWND m_hWndParent = nullptr;
    HWND m_hWndChild = nullptr;
    HWND m_hWndButton = nullptr;
};

// A 32-bit memory surface to draw owner-drawn items into.
class CSurface
{
public:
    CSurface(int _iWidth, int _iHeight)
    {
        m_hdc = CreateCompatibleDC(nullptr);
        BITMAPINFO bi = {};
        bi.bmiHeader = {sizeof(BITMAPINFOHEADER), _iWidth, -_iHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* pBits = nullptr;
        m_hBitmap = CreateDIBSection(m_hdc, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
        m_hOld = SelectObject(m_hdc, m_hBitmap);
    }
    ~CSurface()
    {
        SelectObject(m_hdc, m_hOld);
        DeleteObject(m_hBitmap);
        DeleteDC(m_hdc);
    }
    HDC Dc() const { return m_hdc; }
private:
    HDC m_hdc = nullptr;
    HBITMAP m_hBitmap = nullptr;
    HGDIOBJ m_hOld = nullptr;
};

DRAWITEMSTRUCT ButtonItem(HWND _hWndButton, HDC _hdc, UINT _uState)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = _uState;
    item.hwndItem = _hWndButton;
    item.hDC = _hdc;
    item.rcItem = {0, 0, 80, 25};
    return item;
}

class DlgColors : public ::testing::Test
{
protected:
    void TearDown() override { g_DlgColors.SetScheme(0); }
};

} // namespace

TEST_F(DlgColors, EverySchemeTakesItsColoursAndMakesItsBrushesFromThem)
{
    struct SExpected { DWORD dwScheme; COLORREF crBackground, crText, crNodeText, crListAltBack, crOtherVersion; };
    const SExpected aExpected[] = {{0, 0xFFFFFF, 0x000000, 0x000000, 0xFCFCFC, 0x0000FF},
                                   {1, 0x3F3F3F, 0xFAFAFF, 0x20FFFF, 0x8C8C8C, 0x00C0C0},
                                   {2, 0xFCFCFC, 0x3F3F3F, 0xFF3F3F, 0xFFFFFF, 0x0000FF},
                                   {3, 0x8C3F28, 0xFFFFC0, 0xFF0000, 0xFFFAF5, 0x0000FF},
                                   {4, 0x3F3F7F, 0xC0FFC0, 0x008080, 0xFAFAFF, 0x0000FF}};
    CQelDlgColors colors;
    for (const SExpected& expected : aExpected)
    {
        colors.SetScheme(expected.dwScheme);
        // The screen here has 32 bits per pixel: the nearest colour is the colour itself.
        EXPECT_EQ(expected.crBackground, colors.GetColor(QEL_COLOR_BACKGROUND)) << expected.dwScheme;
        EXPECT_EQ(expected.crText, colors.GetColor(QEL_COLOR_TEXT)) << expected.dwScheme;
        EXPECT_EQ(expected.crNodeText, colors.GetColor(QEL_COLOR_NODETEXT)) << expected.dwScheme;
        EXPECT_EQ(expected.crListAltBack, colors.GetColor(QEL_COLOR_LISTALTBACK)) << expected.dwScheme;
        EXPECT_EQ(expected.crOtherVersion, colors.GetColor(QEL_COLOR_OTHERVERSIONTEXT)) << expected.dwScheme;
        EXPECT_EQ(expected.crBackground, BrushColor(colors.GetBrush(QEL_BRUSH_BACKGROUND)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_FIELDBACK), BrushColor(colors.GetBrush(QEL_BRUSH_FIELDBACK)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_FOCUSFRAME), BrushColor(colors.GetBrush(QEL_BRUSH_FOCUSFRAME)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_FRAME), BrushColor(colors.GetBrush(QEL_BRUSH_FRAME)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_BUTTONFACE), BrushColor(colors.GetBrush(QEL_BRUSH_BUTTONFACE)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_BUTTONPRESSED), BrushColor(colors.GetBrush(QEL_BRUSH_BUTTONPRESSED)));
        EXPECT_EQ(colors.GetColor(QEL_COLOR_PANEBACK), BrushColor(colors.GetBrush(QEL_BRUSH_PANEBACK)));
        EXPECT_EQ(0xD77800u, BrushColor(colors.GetBrush(QEL_BRUSH_SELECTION)));
        EXPECT_EQ(expected.dwScheme, colors.GetScheme());
    }
}

TEST_F(DlgColors, SchemeFiveClearsEveryColourAndLeavesNoBrush)
{
    CQelDlgColors colors;
    colors.SetScheme(1);
    const HBRUSH hbrOld = colors.GetBrush(QEL_BRUSH_BACKGROUND);
    ASSERT_NE(nullptr, hbrOld);
    colors.SetScheme(5);
    for (int i = 0; i < QEL_COLOR_COUNT; ++i)
        EXPECT_EQ(0u, colors.GetColor(static_cast<EQelColor>(i))) << i;
    for (int i = 0; i < QEL_BRUSH_COUNT; ++i)
        EXPECT_EQ(nullptr, colors.GetBrush(static_cast<EQelBrush>(i))) << i;
    // The brushes of the earlier scheme are gone, not leaked.
    LOGBRUSH lb = {};
    EXPECT_EQ(0, GetObjectW(hbrOld, sizeof(lb), &lb));
}

TEST(DlgFonts, HeightsFollowTheFaceName)
{
    ExpectHeights(L"Arial (10)", 13, 15, 20);
    ExpectHeights(L"Segoe UI", 16, 19, 25);
    ExpectHeights(L"segoe ui semibold", 16, 19, 25);
    ExpectHeights(L"Tahoma", 12, 14, 19);
    // A size far beyond any dialog font is held at the limit instead of overflowing.
    ExpectHeights(L"Arial (99999999999)", 1310, 1572, 2096);
}

TEST(DlgFonts, FirstFontsStayAndAFaceNameIsCutTo31Characters)
{
    CQelDlgFonts fonts(L"Segoe UI");
    const HFONT hNormal = fonts.GetNormalFont();
    fonts.CreateFonts(L"Arial (10)");
    EXPECT_EQ(hNormal, fonts.GetNormalFont());
    EXPECT_EQ(16, FontHeight(fonts.GetNormalFont()));

    const std::wstring strLong(40, L'F');
    CQelDlgFonts longFonts(strLong.c_str());
    std::wstring strFace;
    EXPECT_EQ(12, FontHeight(longFonts.GetNormalFont(), &strFace));
    EXPECT_EQ(strLong.substr(0, 31), strFace);
}

TEST(DlgFonts, ApplyFontSetsTheNormalFontOnTheWindowAndItsChildrenOnly)
{
    CLookWindows windows;
    const HWND hWndGrandChild = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 5, 5, windows.m_hWndChild, nullptr,
                                                nullptr, nullptr);
    CQelDlgFonts fonts(L"Segoe UI");
    const LRESULT lBefore = SendMessageW(hWndGrandChild, WM_GETFONT, 0, 0);
    fonts.ApplyFont(windows.m_hWndParent, L"");
    EXPECT_NE(reinterpret_cast<LRESULT>(fonts.GetNormalFont()), SendMessageW(windows.m_hWndChild, WM_GETFONT, 0, 0));
    fonts.ApplyFont(windows.m_hWndParent, L"Arial (10)");
    EXPECT_EQ(reinterpret_cast<LRESULT>(fonts.GetNormalFont()), SendMessageW(windows.m_hWndChild, WM_GETFONT, 0, 0));
    EXPECT_EQ(reinterpret_cast<LRESULT>(fonts.GetNormalFont()), SendMessageW(windows.m_hWndButton, WM_GETFONT, 0, 0));
    EXPECT_EQ(lBefore, SendMessageW(hWndGrandChild, WM_GETFONT, 0, 0));
    EXPECT_EQ(16, FontHeight(fonts.GetNormalFont()));
}

TEST_F(DlgColors, ColourMessagesAnswerWithTheSchemeBrushesAndColours)
{
    g_DlgColors.SetScheme(1);
    CLookWindows windows;
    HDC hdc = CreateCompatibleDC(nullptr);
    const WPARAM wDc = reinterpret_cast<WPARAM>(hdc);
    const LPARAM lChild = reinterpret_cast<LPARAM>(windows.m_hWndChild);
    const HWND hWnd = windows.m_hWndParent;

    EXPECT_EQ(reinterpret_cast<LRESULT>(g_DlgColors.GetBrush(QEL_BRUSH_BACKGROUND)),
              g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLORSTATIC, wDc, lChild));
    EXPECT_EQ(0xFAFAFFu, GetTextColor(hdc));
    EXPECT_EQ(0x3F3F3Fu, GetBkColor(hdc));
    EXPECT_EQ(TRANSPARENT, GetBkMode(hdc));
    SetWindowLongPtrW(windows.m_hWndChild, GWLP_USERDATA, 2);
    g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLORSTATIC, wDc, lChild);
    EXPECT_EQ(0xC08080u, GetTextColor(hdc));

    EXPECT_EQ(reinterpret_cast<LRESULT>(g_DlgColors.GetBrush(QEL_BRUSH_BACKGROUND)),
              g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLORDLG, wDc, lChild));
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_DlgColors.GetBrush(QEL_BRUSH_FIELDBACK)),
              g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLORLISTBOX, wDc, lChild));
    EXPECT_EQ(0x8C8C8Cu, GetBkColor(hdc));
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_DlgColors.GetBrush(QEL_BRUSH_FIELDBACK)),
              g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLOREDIT, wDc, lChild));
    EXPECT_EQ(0, g_DlgFonts.HandleLookMessage(hWnd, WM_PAINT, 0, 0));

    g_DlgColors.SetScheme(5);
    EXPECT_EQ(0, g_DlgFonts.HandleLookMessage(hWnd, WM_CTLCOLORSTATIC, wDc, lChild));
    DeleteDC(hdc);
}

TEST_F(DlgColors, OwnerDrawnPushButtonIsFilledWithFaceOrPressedColour)
{
    g_DlgColors.SetScheme(0);
    CLookWindows windows;
    CSurface surface(80, 25);
    DRAWITEMSTRUCT item = ButtonItem(windows.m_hWndButton, surface.Dc(), 0);
    EXPECT_EQ(0, g_DlgFonts.HandleLookMessage(windows.m_hWndParent, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)));
    EXPECT_EQ(0xCCCCCCu, GetPixel(surface.Dc(), 1, 1));
    item.itemState = ODS_SELECTED;
    g_DlgFonts.HandleLookMessage(windows.m_hWndParent, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(0x808080u, GetPixel(surface.Dc(), 1, 1));
    // Text pixels in the text colour appear in the middle.
    bool bText = false;
    for (int x = 20; x < 60 && !bText; ++x)
        for (int y = 5; y < 20 && !bText; ++y)
            bText = GetPixel(surface.Dc(), x, y) == 0x000000u;
    EXPECT_TRUE(bText);
}

TEST_F(DlgColors, OwnerDrawnCheckBoxDrawsOnTheBackgroundWithABoxAtTheLeft)
{
    g_DlgColors.SetScheme(1);
    CLookWindows windows;
    SetWindowLongPtrW(windows.m_hWndButton, GWLP_USERDATA, static_cast<LONG_PTR>(static_cast<LONG>(0x80000001)));
    CSurface surface(80, 25);
    DRAWITEMSTRUCT item = ButtonItem(windows.m_hWndButton, surface.Dc(), 0);
    g_DlgFonts.HandleLookMessage(windows.m_hWndParent, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(0x3F3F3Fu, GetPixel(surface.Dc(), 79, 0));   // background, not the button face
    EXPECT_NE(0x3F3F3Fu, GetPixel(surface.Dc(), 7, 12));   // inside the 14 x 14 box
    // A null item pointer draws nothing and does not fault.
    EXPECT_EQ(0, g_DlgFonts.HandleLookMessage(windows.m_hWndParent, WM_DRAWITEM, 0, 0));
}
