// The host's own message box as a user sees it, in two colour schemes.
#include <windows.h>
#include <future>

#include "GuiTest.h"
#include "ui/QelDlgColors.h"
#include "ui/QelMessageBox.h"

namespace {

class MessageBoxOnDesktop : public GuiTest
{
protected:
    void TearDown() override { g_DlgColors.SetScheme(0); }

    // Shows a box on its own thread, photographs it and presses its first button.
    void ShowAndShoot(DWORD _dwScheme, const wchar_t* _pszShot)
    {
        g_DlgColors.SetScheme(_dwScheme);
        auto result = std::async(std::launch::async, []() {
            return g_MessageBox.ShowMessageBox(nullptr, L"Die Einstellungen wurden geändert.\r\nSollen sie übernommen werden?",
                                               L"Telvarin", MB_YESNOCANCEL | MB_ICONEXCLAMATION | MB_TOPMOST);
        });
        HWND hWndBox = nullptr;
        ASSERT_TRUE(tvr::WaitUntil([&]() {
            hWndBox = FindWindowW(L"QelMessageBoxClass", nullptr);
            return hWndBox && IsWindowVisible(hWndBox);
        }, 5000));
        Sleep(300);   // let it paint
        RECT rcBox = {};
        GetWindowRect(hWndBox, &rcBox);
        const CScreenImage image(rcBox);
        EXPECT_TRUE(image.SavePng(_pszShot));
        // The client area shows the scheme's background; the buttons their face colour.
        POINT pt = {5, 95};
        ClientToScreen(hWndBox, &pt);
        EXPECT_EQ(g_DlgColors.GetColor(QEL_COLOR_BACKGROUND), image.Pixel(pt.x - rcBox.left, pt.y - rcBox.top));
        EXPECT_GT(image.Count(g_DlgColors.GetColor(QEL_COLOR_BUTTONFACE)), 80 * 25);
        SendMessageW(GetDlgItem(hWndBox, IDYES), BM_CLICK, 0, 0);
        ASSERT_EQ(std::future_status::ready, result.wait_for(std::chrono::seconds(5)));
        EXPECT_EQ(IDYES, result.get());
    }
};

} // namespace

TEST_F(MessageBoxOnDesktop, SchemeZeroIsLightAndSchemeOneDark)
{
    ShowAndShoot(0, L"messagebox-scheme0");
    ShowAndShoot(1, L"messagebox-scheme1");
}
