#include <gtest/gtest.h>
#include <windows.h>
#include <future>
#include <string>

#include "base/Handle.h"
#include "base/SentMessage.h"
#include "ui/InfoDialog.h"
#include "ui/InfoIcon.h"
#include "UiResources.h"

namespace {

const DWORD WAIT_MS = 5000;
const wchar_t HANDLER_KEY[] = L"Software\\Classes\\https\\shell\\open\\command";

std::wstring ItemText(HWND _hDlg, int _iId)
{
    wchar_t szText[256] = L"";
    GetDlgItemTextW(_hDlg, _iId, szText, ARRAYSIZE(szText));
    return szText;
}

// The https handler points at a command that records the URL it is given; removed afterwards.
class CRecordingHandler
{
public:
    CRecordingHandler()
    {
        wchar_t szTemp[MAX_PATH] = L"";
        GetTempPathW(ARRAYSIZE(szTemp), szTemp);
        m_strFile = std::wstring(szTemp) + L"tvr-url-" + std::to_wstring(GetCurrentProcessId()) + L".txt";
        DeleteFileW(m_strFile.c_str());
        const std::wstring strCommand = L"cmd /c echo %1>\"" + m_strFile + L"\"";
        RegSetKeyValueW(HKEY_LOCAL_MACHINE, HANDLER_KEY, nullptr, REG_SZ, strCommand.c_str(),
                        static_cast<DWORD>((strCommand.size() + 1) * sizeof(wchar_t)));
    }
    ~CRecordingHandler()
    {
        RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Classes\\https");
        DeleteFileW(m_strFile.c_str());
    }
    // The recorded URL once it appears within the time; empty otherwise.
    std::string WaitForUrl(DWORD _dwMs) const
    {
        const DWORD dwEnd = GetTickCount() + _dwMs;
        do
        {
            CFileHandle file(CreateFileW(m_strFile.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
            char szData[512] = "";
            DWORD dwRead = 0;
            if (file && ReadFile(file.Get(), szData, sizeof(szData) - 1, &dwRead, nullptr) && dwRead > 0)
                return std::string(szData, dwRead);
            Sleep(100);
        } while (GetTickCount() < dwEnd);
        return std::string();
    }
private:
    std::wstring m_strFile;
};

// Runs the dialog on a thread of its own, which learns who sent each message as the host's
// main thread does.
class InfoDialog : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_Run = std::async(std::launch::async, []() {
            const CSenderWatch watch;   // as on the host's main thread
            g_InfoIcon.ShowInfoDialog();
        });
        const DWORD dwEnd = GetTickCount() + WAIT_MS;
        while (!GetInfoDialog() && GetTickCount() < dwEnd)
            Sleep(20);
        m_hDlg = GetInfoDialog();
        DWORD_PTR dwResult = 0;
        if (m_hDlg)
            SendMessageTimeoutW(m_hDlg, WM_NULL, 0, 0, SMTO_BLOCK, WAIT_MS, &dwResult);   // initialised
    }
    void TearDown() override
    {
        g_InfoIcon.CloseInfoDialog();
        EXPECT_EQ(std::future_status::ready, m_Run.wait_for(std::chrono::seconds(5)));
        EXPECT_EQ(nullptr, GetInfoDialog());
    }
    LPARAM LinkPoint() const
    {
        RECT rc = {};
        GetWindowRect(GetDlgItem(m_hDlg, IDC_INFO_LINK), &rc);
        MapWindowPoints(nullptr, m_hDlg, reinterpret_cast<POINT*>(&rc), 2);
        return MAKELPARAM(rc.left + 5, rc.top + 5);
    }
    // The text colour the dialog gives a control: the control draws itself into a DC of
    // this thread and asks the dialog for its colours on the dialog's own thread, as it does
    // when it paints (the dialog refuses colour requests sent from other threads).
    COLORREF TextColor(int _iId) const
    {
        HDC hdc = CreateCompatibleDC(nullptr);
        SendMessageW(GetDlgItem(m_hDlg, _iId), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(hdc), PRF_CLIENT);
        const COLORREF cr = GetTextColor(hdc);
        DeleteDC(hdc);
        return cr;
    }
    COLORREF LinkTextColor() const { return TextColor(IDC_INFO_LINK); }
    std::future<void> m_Run;
    HWND m_hDlg = nullptr;
};

int CountDialogs(const wchar_t* _pszTitle)
{
    int iCount = 0;
    for (HWND hWnd = FindWindowExW(nullptr, nullptr, L"#32770", _pszTitle); hWnd;
         hWnd = FindWindowExW(nullptr, hWnd, L"#32770", _pszTitle))
        ++iCount;
    return iCount;
}

} // namespace

TEST_F(InfoDialog, ShowsProductVersionAndLinkCentredOnTheDesktop)
{
    ASSERT_NE(nullptr, m_hDlg);
    wchar_t szTitle[64] = L"";
    GetWindowTextW(m_hDlg, szTitle, ARRAYSIZE(szTitle));
    EXPECT_STREQ(L"Programminformation", szTitle);
    EXPECT_EQ(L"Telvarin", ItemText(m_hDlg, IDC_INFO_PRODUCT));
    EXPECT_EQ(L"1.0.3.0", ItemText(m_hDlg, IDC_INFO_VERSION));
    EXPECT_EQ(L"Product version:", ItemText(m_hDlg, IDC_INFO_VERSIONLABEL));
    EXPECT_EQ(std::wstring(INFO_MAKER_ADDRESS), ItemText(m_hDlg, IDC_INFO_LINK));
    EXPECT_EQ(L"OK", ItemText(m_hDlg, IDOK));
    EXPECT_EQ(reinterpret_cast<LRESULT>(g_InfoIcon.GetLinkFont()),
              SendDlgItemMessageW(m_hDlg, IDC_INFO_LINK, WM_GETFONT, 0, 0));

    RECT rcDesktop = {};
    GetWindowRect(GetDesktopWindow(), &rcDesktop);
    RECT rcDlg = {};
    GetWindowRect(m_hDlg, &rcDlg);
    LONG lWidth = rcDesktop.right - rcDesktop.left;
    const LONG lHeight = rcDesktop.bottom - rcDesktop.top;
    if (lWidth / lHeight >= 2)
        lWidth /= 2;   // wide desktops: the middle of the left half
    EXPECT_EQ((lWidth - (rcDlg.right - rcDlg.left)) / 2, rcDlg.left - rcDesktop.left);
    EXPECT_EQ((lHeight - (rcDlg.bottom - rcDlg.top)) / 2, rcDlg.top - rcDesktop.top);
}

TEST_F(InfoDialog, ASecondShowMakesNoSecondDialog)
{
    ASSERT_NE(nullptr, m_hDlg);
    EXPECT_EQ(1, CountDialogs(L"Programminformation"));
    g_InfoIcon.ShowInfoDialog();   // returns at once
    EXPECT_EQ(m_hDlg, GetInfoDialog());
    EXPECT_EQ(1, CountDialogs(L"Programminformation"));
}

TEST_F(InfoDialog, LinkTurnsPurpleUnderTheMouseWithTheHandCursor)
{
    ASSERT_NE(nullptr, m_hDlg);
    EXPECT_EQ(RGB(0, 0, 192), LinkTextColor());
    SendMessageW(m_hDlg, WM_MOUSEMOVE, 0, LinkPoint());
    EXPECT_EQ(TRUE, SendMessageW(m_hDlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hDlg), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(RGB(192, 0, 192), LinkTextColor());
    EXPECT_EQ(RGB(0, 0, 0), TextColor(IDC_INFO_PRODUCT));
    SendMessageW(m_hDlg, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
    EXPECT_EQ(FALSE, SendMessageW(m_hDlg, WM_SETCURSOR, reinterpret_cast<WPARAM>(m_hDlg), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_EQ(RGB(0, 0, 192), LinkTextColor());
}

TEST_F(InfoDialog, PressAndReleaseOnTheLinkOpensTheMakersAddressOnly)
{
    ASSERT_NE(nullptr, m_hDlg);
    const CRecordingHandler handler;
    // Pressed on the link, released elsewhere: nothing opens.
    SendMessageW(m_hDlg, WM_LBUTTONDOWN, MK_LBUTTON, LinkPoint());
    SendMessageW(m_hDlg, WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
    EXPECT_EQ("", handler.WaitForUrl(1500));
    SendMessageW(m_hDlg, WM_LBUTTONDOWN, MK_LBUTTON, LinkPoint());
    SendMessageW(m_hDlg, WM_LBUTTONUP, 0, LinkPoint());
    const std::string strUrl = handler.WaitForUrl(8000);
    EXPECT_EQ(0u, strUrl.find("https://www.orvex.example")) << strUrl;
}

// A DPI change sent from another thread (the rectangle at lParam is not read): the dialog,
// its controls and both fonts grow by half at the same corner.
TEST_F(InfoDialog, At144DpiTheDialogItsControlsAndFontsScale)
{
    ASSERT_NE(nullptr, m_hDlg);
    const HWND hWndOk = GetDlgItem(m_hDlg, IDOK);
    RECT rcDlg = {};
    RECT rcOk = {};
    GetWindowRect(m_hDlg, &rcDlg);
    GetWindowRect(hWndOk, &rcOk);
    const auto Height = [](HWND _hWnd) {
        LOGFONTW lf = {};
        GetObjectW(reinterpret_cast<HFONT>(SendMessageW(_hWnd, WM_GETFONT, 0, 0)), sizeof(lf), &lf);
        return lf.lfHeight;
    };
    const LONG lOkFont = Height(hWndOk);
    const LONG lLinkFont = Height(GetDlgItem(m_hDlg, IDC_INFO_LINK));
    const RECT rcFarOff = {-9000, -9000, 30000, 30000};
    SendMessageW(m_hDlg, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&rcFarOff));

    RECT rcDlg144 = {};
    RECT rcOk144 = {};
    GetWindowRect(m_hDlg, &rcDlg144);
    GetWindowRect(hWndOk, &rcOk144);
    EXPECT_EQ(rcDlg.left, rcDlg144.left);
    EXPECT_EQ(rcDlg.top, rcDlg144.top);
    EXPECT_EQ(MulDiv(rcDlg.right - rcDlg.left, 144, 96), rcDlg144.right - rcDlg144.left);
    EXPECT_NEAR(MulDiv(rcOk.right - rcOk.left, 144, 96), rcOk144.right - rcOk144.left, 1);
    EXPECT_NEAR(MulDiv(rcOk.bottom - rcOk.top, 144, 96), rcOk144.bottom - rcOk144.top, 1);
    EXPECT_EQ(MulDiv(lOkFont, 144, 96), Height(hWndOk));
    EXPECT_EQ(MulDiv(lLinkFont, 144, 96), Height(GetDlgItem(m_hDlg, IDC_INFO_LINK)));
}
