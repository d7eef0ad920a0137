// The trace-file plug-in's page as a person uses it: the level chosen there reaches the host
// at once and again at the next start, the folder button opens the folder of the files, and
// the texts follow the host's language. Photographed in English and German.
#include <windows.h>

#include "ProbeLog.h"
#include "SettingsGui.h"
#include "TelvarinPlugin.h"

namespace {

const int IDC_LEVEL_LABEL = 101;
const int IDC_LEVEL = 102;
const int IDC_OPEN_FOLDER = 105;

// A host named TVRCONFIG.EXE keeps its LOG and CFG folders beside itself: the page's
// settings file and folder are this test's own.
class TraceFilePage : public CSettingsHostTest
{
protected:
    void SetUp() override
    {
        CSettingsHostTest::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        m_strName = L"TVRCONFIG";
        ASSERT_TRUE(CopyFileW(m_Folder.ExePath().c_str(), m_Folder.Child(m_strName + L".exe").c_str(), FALSE));
        m_strProbeLog = m_Folder.Child(L"calls.log");
        ASSERT_TRUE(tvr::InstallProbe(m_Folder, L"PluginSearch", L"PluginSearchP.DLL", m_strProbeLog, tvr::ProbeWithId(7)));
        Start();
    }
    void Start()
    {
        DeleteFileW(m_strProbeLog.c_str());
        StartHost();
        ASSERT_TRUE(tvr::WaitForProbeCall(m_strProbeLog, [](const tvr::ProbeCall& _call) { return _call.strCall == "AfterLoad"; },
                                          WAIT_MS));
        ASSERT_NE(nullptr, OpenSettings());
        Select(FindItem(L"Trace", L"Trace file"));
        ASSERT_TRUE(WaitSelected(L"Trace file"));
        ASSERT_NE(nullptr, Page());
    }
    bool WaitForLevel(const std::string& _strLevel) const
    {
        return tvr::WaitForProbeCall(m_strProbeLog, [&](const tvr::ProbeCall& _call) {
            return _call.strType == "26" && _call.Field("Level") == _strLevel;
        }, WAIT_MS);
    }
    std::wstring ControlText(int _iId) const
    {
        wchar_t szText[256] = L"";
        GetWindowTextW(GetDlgItem(Page(), _iId), szText, ARRAYSIZE(szText));
        return szText;
    }
    void Shoot(const std::wstring& _strName) const
    {
        Sleep(400);   // painted
        RECT rc = {};
        GetWindowRect(m_hWndSettings, &rc);
        EXPECT_TRUE(CScreenImage(rc).SavePng(_strName));
    }

    std::wstring m_strProbeLog;
};

// A visible window titled "LOG" or with a path ending in "\\LOG" (the log folder shown).
BOOL CALLBACK FindFolderWindow(HWND _hWnd, LPARAM _lParam)
{
    wchar_t szTitle[512] = L"";
    GetWindowTextW(_hWnd, szTitle, ARRAYSIZE(szTitle));
    if (!IsWindowVisible(_hWnd) || (wcscmp(szTitle, L"LOG") != 0 && wcsstr(szTitle, L"\\LOG") == nullptr))
        return TRUE;
    *reinterpret_cast<HWND*>(_lParam) = _hWnd;
    return FALSE;
}

} // namespace

TEST_F(TraceFilePage, TheLevelIsAppliedAtOnceAndAgainAtTheNextStart)
{
    const HWND hWndLevel = GetDlgItem(Page(), IDC_LEVEL);
    ASSERT_NE(nullptr, hWndLevel);
    EXPECT_EQ(0, SendMessageW(hWndLevel, CB_GETCURSEL, 0, 0)) << "no level chosen yet: the host's own, 0";
    // The choice as the list box reports it to its page.
    SendMessageW(hWndLevel, CB_SETCURSEL, 3, 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(IDC_LEVEL, CBN_SELCHANGE), reinterpret_cast<LPARAM>(hWndLevel));
    ASSERT_TRUE(tvr::WaitUntil([&]() { return IsWindowEnabled(Button(2002)) != FALSE; }, WAIT_MS));
    Shoot(L"settings-tracefile-en");
    SendMessageW(Button(2002), BM_CLICK, 0, 0);
    EXPECT_TRUE(WaitForLevel("3"));
    EXPECT_EQ(L"3", tvr::ReadIniValue(m_Folder.Child(L"CFG\\PluginDebugLog.ini"), L"TraceFile", L"Level"));
    EXPECT_FALSE(IsWindowEnabled(Button(2002)));

    m_Host.Kill();
    Start();
    EXPECT_TRUE(WaitForLevel("3"));
    EXPECT_EQ(3, SendMessageW(GetDlgItem(Page(), IDC_LEVEL), CB_GETCURSEL, 0, 0));
}

TEST_F(TraceFilePage, TheFolderButtonOpensTheFolderOfTheFiles)
{
    const std::wstring strFolder = m_Folder.Child(L"LOG");
    SendMessageW(GetDlgItem(Page(), IDC_OPEN_FOLDER), BM_CLICK, 0, 0);
    // The file manager shows the folder in a window titled with its name or path.
    HWND hWndShown = nullptr;
    const bool bShown = tvr::WaitUntil([&]() {
        hWndShown = nullptr;
        EnumWindows(FindFolderWindow, reinterpret_cast<LPARAM>(&hWndShown));
        return hWndShown != nullptr;
    }, WAIT_MS);
    ASSERT_TRUE(bShown) << "no window shows " << tvr::WideToUtf8(strFolder);
    RECT rc = {};
    GetWindowRect(hWndShown, &rc);
    EXPECT_TRUE(CScreenImage(rc).SavePng(L"tracefile-folder"));
    PostMessageW(hWndShown, WM_CLOSE, 0, 0);
}

TEST_F(TraceFilePage, TheTextsFollowTheHostsLanguage)
{
    const struct
    {
        const wchar_t* pszLanguage;
        const wchar_t* pszShort;
        const wchar_t* pszCategory;
        const wchar_t* pszLabel;
    } looks[] = {{L"Deutsch", L"de", L"Protokoll", L"Trace-Stufe (gilt sofort und f\u00FCr die n\u00E4chsten Starts):"},
                 {L"English", L"en", L"Trace", L"Trace level (applied at once, kept for the next starts):"}};
    for (const auto& look : looks)
    {
        SCOPED_TRACE(tvr::WideToUtf8(look.pszLanguage));
        const HWND hWndOld = m_hWndSettings;
        ChangeScheme(0, look.pszLanguage);
        ASSERT_TRUE(tvr::WaitUntil([&]() { return !IsWindow(hWndOld); }, WAIT_MS));
        ASSERT_NE(nullptr, WaitForSettings());
        // The window reopens on the host's own page; the trace-file page is built anew.
        ASSERT_TRUE(tvr::WaitUntil([&]() { return FindItem(look.pszCategory, L"Trace file") != nullptr; }, WAIT_MS));
        Select(FindItem(look.pszCategory, L"Trace file"));
        ASSERT_TRUE(WaitSelected(L"Trace file"));
        ASSERT_TRUE(tvr::WaitUntil([&]() { return Page() != nullptr; }, WAIT_MS));
        EXPECT_EQ(look.pszLabel, ControlText(IDC_LEVEL_LABEL));
        Shoot(L"settings-tracefile-" + std::wstring(look.pszShort) + L"-scheme0");
    }
}
