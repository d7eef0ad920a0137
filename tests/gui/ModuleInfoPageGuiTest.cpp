// The module info page on the virtual desktop: real probe plug-ins in the process's module
// lists, the page on a window of the test, driven by real Ctrl key combinations and by the
// list's own click and space key messages.
#include <windows.h>
#include <commctrl.h>
#include <future>
#include <string>
#include <vector>

#include "GlobalListsFixture.h"
#include "GuiTest.h"
#include "Wait.h"
#include "base/ProgramPath.h"
#include "bus/PluginStopMarks.h"
#include "config/RegIniAccess.h"
#include "config/ResourceAccess.h"
#include "host/window/CrashLoopBreaker.h"
#include "ui/InfoIcon.h"
#include "config/VersionTool.h"
#include "ui/ModuleInfoPage.h"
#include "ui/QelDlgColors.h"
#include "UiResources.h"

namespace {

const wchar_t WINDOW_CLASS[] = L"ModuleInfoPageTestWindow";
const wchar_t HEADER[] = L"Modul;Produktversion;Dateiversion;\r\n";
const wchar_t BOX_CLASS[] = L"QelMessageBoxClass";
const DWORD SETTLE_MS = 300;
LONG g_lChanges = 0;   // WM_QEL_CONFIGCHANGED that reached the host's stand-in

LRESULT CALLBACK TestWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    const bool bHost = GetWindowLongPtrW(_hWnd, GWLP_USERDATA) == static_cast<LONG_PTR>(HOST_WINDOW_ID);
    if (_uMsg == WM_QEL_CONFIGCHANGED && bHost)
        ++g_lChanges;
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

void Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

bool PumpUntil(const std::function<bool()>& _condition, DWORD _dwTimeoutMs = SETTLE_MS)
{
    return tvr::WaitUntil([&]() { Pump(); return _condition(); }, _dwTimeoutMs);
}

// Handles the input given so far: pumps until no input has waited for a while.
void PumpInput()
{
    const DWORD dwStart = GetTickCount();
    DWORD dwQuietSince = dwStart;
    while (GetTickCount() - dwStart < 3000 && GetTickCount() - dwQuietSince < SETTLE_MS)
    {
        Pump();
        if (HIWORD(GetQueueStatus(QS_INPUT)) != 0)
            dwQuietSince = GetTickCount();
        Sleep(10);
    }
}

INPUT KeyInput(WORD _wKey, bool _bUp)
{
    INPUT input = {INPUT_KEYBOARD, {}};
    input.ki.wVk = _wKey;
    input.ki.dwFlags = _bUp ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Gives the input as a user would and handles it.
void Give(std::vector<INPUT> _vecInput)
{
    SendInput(static_cast<UINT>(_vecInput.size()), _vecInput.data(), sizeof(INPUT));
    PumpInput();
}

std::wstring ClipboardText()
{
    std::wstring strText = L"<none>";
    if (!OpenClipboard(nullptr))
        return strText;
    const HANDLE hData = GetClipboardData(CF_UNICODETEXT);
    const wchar_t* pszData = hData ? static_cast<const wchar_t*>(GlobalLock(hData)) : nullptr;
    if (pszData)
    {
        strText = pszData;
        GlobalUnlock(hData);
    }
    CloseClipboard();
    return strText;
}

// The versioned probe, copied under a new name with its answers.
bool CopyVersionedProbe(const std::wstring& _strTarget, const std::wstring& _strLog,
                        const tvr::ProbeSettings& _settings)
{
    const std::wstring strSource = std::wstring(TVR_TEST_PLUGINS_DIR) + L"\\PluginProbeVersion.dll";
    return CopyFileW(strSource.c_str(), _strTarget.c_str(), FALSE)
           && tvr::WriteProbeConfig(_strTarget, _strLog, _settings);
}

tvr::ProbeSettings Probe(const wchar_t* _pszName, int _iCanDisable, int _iDisabled, int _iIsBeta = 0)
{
    tvr::ProbeSettings settings;
    settings.strName = _pszName;
    settings.iCanDisable = _iCanDisable;
    settings.iDisableState = _iDisabled;
    settings.iIsBeta = _iIsBeta;
    return settings;
}

// Rows the standard plug-ins give, after the main program.
enum ERow { ROW_MAIN, ROW_DEBUG, ROW_PHONE, ROW_DIRECTORY, ROW_WEB, ROW_CALLER, ROW_JOURNAL, ROW_TOOLS, ROW_COUNT };

class ModuleInfoPage : public tvr::GlobalListsTest
{
protected:
    void SetUp() override
    {
        const std::wstring strReason = GuiUnavailableReason();
        if (!strReason.empty())
            GTEST_SKIP() << tvr::WideToUtf8(strReason);
        g_DlgColors.SetScheme(0);
        g_lChanges = 0;
        AddProbe(L"PluginDebug", L"PluginDebugA", Probe(L"Debug log", 0, 0));
        AddProbe(L"PluginTelephony", L"PluginPhoneA", Probe(L"Phone line", 1, 1, 1));
        AddProbe(L"PluginSearch", L"PluginSearchA", Probe(L"Directory search", 0, 1));
        AddProbe(L"PluginSearch", L"PluginSearchB", Probe(L"debug LOG", 1, 0));   // a name listed already
        AddProbe(L"PluginSearch", L"PluginSearchC", Probe(L"Web search", 1, 0));
        AddProbe(L"PluginInfo", L"PluginInfoA", Probe(L"Caller info", 1, 0));
        ASSERT_TRUE(
            CopyVersionedProbe(Folder(L"PluginSave") + L"\\PluginSaveA.DLL", m_strLog, Probe(L"Call journal", 1, 1)));
        AddProbe(L"PluginExtra", L"PluginExtraA", Probe(L"Tools", 1, 0));
    }
    void TearDown() override
    {
        if (m_hWndSettings)
            DestroyWindow(m_hWndSettings);
        if (m_hWndHost)
            DestroyWindow(m_hWndHost);
        UnregisterClassW(WINDOW_CLASS, GetModuleHandleW(nullptr));
    }

    std::wstring Folder(const wchar_t* _pszCategory) const
    {
        for (const auto& pFolder : m_vecFolders)
            if (pFolder->Name() == _pszCategory)
                return pFolder->Path();
        return L"";
    }
    // Loads the lists as the host does, except that the Search list is not asked whether its
    // modules can be disabled: the page asks it. Then the page on a window of its own.
    void Open()
    {
        LoadAll();
        for (const tvr::ListOfCategory& list : tvr::AllLists())
            if (list.pList != &g_PluginSearch)
                list.pList->AfterLoad();
        WNDCLASSW wc = {};
        wc.lpfnWndProc = TestWindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = WINDOW_CLASS;
        wc.hbrBackground = GetSysColorBrush(COLOR_WINDOW);
        RegisterClassW(&wc);
        m_hWndHost =
            CreateWindowExW(0, WINDOW_CLASS, L"Telvarin", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrW(m_hWndHost, GWLP_USERDATA, static_cast<LONG_PTR>(HOST_WINDOW_ID));
        // Topmost: a window another test left on the desktop while its process ends never
        // takes the clicks meant for the page.
        m_hWndSettings = CreateWindowExW(WS_EX_TOPMOST, WINDOW_CLASS, L"Settings", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 600,
                                         460, nullptr, nullptr, nullptr, nullptr);
        m_hWndPage = CreateModuleInfoPage(m_hWndSettings, 96);
        ASSERT_NE(nullptr, m_hWndPage);
        MoveWindow(m_hWndPage, 10, 10, 530, 380, TRUE);
        ShowWindow(m_hWndPage, SW_SHOW);
        m_hWndList = GetDlgItem(m_hWndPage, IDC_MODULE_LIST);
        SetForegroundWindow(m_hWndSettings);
        PumpUntil([this]() { return GetForegroundWindow() == m_hWndSettings; }, 2000);
        SetFocus(m_hWndList);
        PumpUntil([this]() { return GetFocus() == m_hWndList; }, 2000);
    }

    int Rows() const { return ListView_GetItemCount(m_hWndList); }
    std::wstring Cell(int _iRow, int _iColumn) const
    {
        wchar_t szText[256] = L"";
        ListView_GetItemText(m_hWndList, _iRow, _iColumn, szText, ARRAYSIZE(szText));
        return szText;
    }
    LVITEMW Item(int _iRow) const
    {
        LVITEMW item = {};
        item.mask = LVIF_IMAGE | LVIF_PARAM;
        item.iItem = _iRow;
        ListView_GetItem(m_hWndList, &item);
        return item;
    }
    int Image(int _iRow) const { return Item(_iRow).iImage; }
    POINT ClientPoint(int _iRow, int _iPart, int _dx) const
    {
        RECT rc = {};
        ListView_GetSubItemRect(m_hWndList, _iRow, 0, _iPart, &rc);
        return {rc.left + _dx, (rc.top + rc.bottom) / 2};
    }
    // A left click on the row's picture (or on its name), with Ctrl held when asked. Clicks
    // and the space key reach the list as its own messages, not as synthetic input: Wine can
    // lose synthetic input on a loaded machine. The release is queued before the press, so
    // that a drag check of the list ends at once; what the click posted is handled here.
    void Click(int _iRow, bool _bOnImage, bool _bControl = false) const
    {
        const POINT pt = _bOnImage ? ClientPoint(_iRow, LVIR_ICON, 8) : ClientPoint(_iRow, LVIR_LABEL, 20);
        const WPARAM wKeys = _bControl ? MK_CONTROL : 0;
        const LPARAM lPoint = MAKELPARAM(pt.x, pt.y);
        PostMessageW(m_hWndList, WM_LBUTTONUP, wKeys, lPoint);
        SendMessageW(m_hWndList, WM_LBUTTONDOWN, wKeys | MK_LBUTTON, lPoint);
        Pump();
    }
    void Key(WORD _wKey) const
    {
        SendMessageW(m_hWndList, WM_KEYDOWN, _wKey, 1);
        PostMessageW(m_hWndList, WM_KEYUP, _wKey, 0xC0000001);
        Pump();
    }
    static void CtrlKey(WORD _wKey)
    {
        Give({KeyInput(VK_CONTROL, false), KeyInput(_wKey, false), KeyInput(_wKey, true), KeyInput(VK_CONTROL, true)});
    }
    // Header and every row, as Ctrl+C gives them when all rows are selected.
    std::wstring AllRowsText() const
    {
        std::wstring strText = HEADER;
        for (int i = 0; i < Rows(); ++i)
            strText += Cell(i, 0) + L";" + Cell(i, 1) + L";" + Cell(i, 2) + L";\r\n";
        return strText;
    }
    // SetDisableState calls since the log was cleared: "<module> <argument>".
    std::vector<std::string> SetDisableCalls() const
    {
        std::vector<std::string> vecCalls;
        for (const tvr::ProbeCall& call : tvr::ReadProbeLog(m_strLog))
            if (call.strCall == "SetDisableState")
                vecCalls.push_back(call.strModule + " " + call.Field("Disable"));
        return vecCalls;
    }

    HWND m_hWndHost = nullptr;
    HWND m_hWndSettings = nullptr;
    HWND m_hWndPage = nullptr;
    HWND m_hWndList = nullptr;
};

} // namespace

TEST_F(ModuleInfoPage, ListsTheMainProgramAndEachNamedModuleOnceInCategoryOrder)
{
    Open();
    const CVersionTool host;
    struct SExpected
    {
        const wchar_t* pszName;
        const wchar_t* pszProduct;
        const wchar_t* pszFile;
        int iImage;
        CPluginBase* pList;
        int iSlot;
    };
    const SExpected aExpected[ROW_COUNT] = {
        {L" Main program", host.GetProductVersion(), host.GetFileVersion(), 0, nullptr, 0},
        {L"Debug log", L"", L"", 0, &g_PluginDebug, 0},
        {L"Phone line", L"", L"", 2, &g_PluginTelephony, 0},
        {L"Directory search", L"", L"", 3, &g_PluginSearch, 0},
        {L"Web search", L"", L"", 1, &g_PluginSearch, 2},   // its can-disable answer asked by the page
        {L"Caller info", L"", L"", 1, &g_PluginInfo, 0},
        {L"Call journal", L"2.4.1.0", L"2.4.1.7", 2, &g_PluginSave, 0},
        {L"Tools", L"", L"", 1, &g_PluginExtra, 0},
    };
    ASSERT_EQ(ROW_COUNT, Rows());
    for (int i = 0; i < ROW_COUNT; ++i)
    {
        const SExpected& row = aExpected[i];
        EXPECT_EQ(row.pszName, Cell(i, 0)) << i;
        EXPECT_EQ(row.pszProduct, Cell(i, 1)) << i;
        EXPECT_EQ(row.pszFile, Cell(i, 2)) << i;
        EXPECT_EQ(row.iImage, Image(i)) << i;
        const HMODULE hModule = row.pList ? row.pList->GetModuleHandle(row.iSlot) : nullptr;
        EXPECT_EQ(reinterpret_cast<LPARAM>(hModule), Item(i).lParam) << i;
    }
    const DWORD dwStyles = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_GRIDLINES;
    EXPECT_EQ(dwStyles, ListView_GetExtendedListViewStyle(m_hWndList) & dwStyles);
    const int aiWidths[] = {140, 110, 110};
    const int aiFormats[] = {LVCFMT_LEFT, LVCFMT_CENTER, LVCFMT_CENTER};
    for (int i = 0; i < 3; ++i)
    {
        LVCOLUMNW column = {};
        column.mask = LVCF_WIDTH | LVCF_FMT;
        ASSERT_TRUE(ListView_GetColumn(m_hWndList, i, &column));
        EXPECT_EQ(aiWidths[i], column.cx) << i;
        EXPECT_EQ(aiFormats[i], column.fmt & LVCFMT_JUSTIFYMASK) << i;
    }
    // The list fills the page at every size.
    MoveWindow(m_hWndPage, 10, 10, 400, 250, TRUE);
    RECT rcList = {};
    GetWindowRect(m_hWndList, &rcList);
    EXPECT_EQ(400, rcList.right - rcList.left);
    EXPECT_EQ(250, rcList.bottom - rcList.top);
}

TEST_F(ModuleInfoPage, SpaceAndAClickOnThePictureToggleOnlySwitchableRowsAndReportEachToggle)
{
    Open();
    Click(ROW_CALLER, false);   // selects the row, its picture stays
    EXPECT_EQ(1, Image(ROW_CALLER));
    Key(VK_SPACE);
    EXPECT_EQ(2, Image(ROW_CALLER));
    Key(VK_SPACE);
    EXPECT_EQ(1, Image(ROW_CALLER));   // no warning: not a beta module
    EXPECT_EQ(2, g_lChanges);
    Click(ROW_TOOLS, true);
    EXPECT_EQ(2, Image(ROW_TOOLS));
    Click(ROW_TOOLS, true, true);   // with Ctrl: only the selection changes
    EXPECT_EQ(2, Image(ROW_TOOLS));
    Click(ROW_DEBUG, true);
    Key(VK_SPACE);
    Click(ROW_DIRECTORY, true);
    Key(VK_SPACE);
    EXPECT_EQ(0, Image(ROW_DEBUG));
    EXPECT_EQ(3, Image(ROW_DIRECTORY));
    EXPECT_EQ(3, g_lChanges);
}

TEST_F(ModuleInfoPage, BetaModuleIsSwitchedOnOnlyAfterTheWarningIsConfirmed)
{
    g_ResourceAccess.InitInFolder(TVR_DIST_DIR);   // the warning's texts
    Open();
    wchar_t szCaption[256] = L"";
    StringCchCopyW(szCaption, ARRAYSIZE(szCaption), g_ResourceAccess.GetString(1032, nullptr));
    ASSERT_NE(L'\0', szCaption[0]);
    Click(ROW_PHONE, false);
    for (const int iAnswer : {IDCANCEL, IDOK})
    {
        // The box runs its own loop on this thread; another thread answers it.
        auto answer = std::async(std::launch::async, [iAnswer]() {
            HWND hWndBox = nullptr;
            if (!tvr::WaitUntil([&]() { return (hWndBox = FindWindowW(BOX_CLASS, nullptr)) && IsWindowVisible(hWndBox); },
                                5000))
                return std::wstring(L"<no box>");
            wchar_t szTitle[256] = L"";
            GetWindowTextW(hWndBox, szTitle, ARRAYSIZE(szTitle));
            SendMessageW(GetDlgItem(hWndBox, iAnswer), BM_CLICK, 0, 0);
            return std::wstring(szTitle);
        });
        Key(VK_SPACE);
        EXPECT_EQ(szCaption, answer.get());
        EXPECT_EQ(iAnswer == IDOK ? 1 : 2, Image(ROW_PHONE));
        EXPECT_EQ(iAnswer == IDOK ? 1 : 0, g_lChanges);
    }
    // Off again at once; a module that is no beta goes on without a question.
    Key(VK_SPACE);
    EXPECT_EQ(2, Image(ROW_PHONE));
    Click(ROW_JOURNAL, true);
    EXPECT_EQ(nullptr, FindWindowW(BOX_CLASS, nullptr));
    EXPECT_EQ(1, Image(ROW_JOURNAL));
    EXPECT_EQ(3, g_lChanges);
}

TEST_F(ModuleInfoPage, CtrlCCopiesTheSelectedRowsOverWhatTheClipboardHeldAndCtrlASelectsAll)
{
    Open();
    const UINT uEarlier = RegisterClipboardFormatW(L"ModuleInfoPageTestEarlier");
    ASSERT_TRUE(OpenClipboard(m_hWndHost));
    EmptyClipboard();
    SetClipboardData(uEarlier, GlobalAlloc(GMEM_MOVEABLE, 16));
    CloseClipboard();
    CtrlKey('C');
    EXPECT_EQ(HEADER, ClipboardText());
    EXPECT_FALSE(IsClipboardFormatAvailable(uEarlier));

    Click(ROW_DEBUG, false);
    Click(ROW_JOURNAL, false, true);
    CtrlKey('C');
    EXPECT_EQ(std::wstring(HEADER) + L"Debug log;;;\r\nCall journal;2.4.1.0;2.4.1.7;\r\n", ClipboardText());

    CtrlKey('A');
    EXPECT_EQ(ROW_COUNT, static_cast<int>(ListView_GetSelectedCount(m_hWndList)));
    EXPECT_EQ(0, ListView_GetNextItem(m_hWndList, -1, LVNI_FOCUSED));
    CtrlKey('C');
    EXPECT_EQ(AllRowsText(), ClipboardText());
    EXPECT_EQ(0, g_lChanges);   // the keys changed no row
}

TEST_F(ModuleInfoPage, CopiedTextEndsAt2047Characters)
{
    for (int i = 0; i < 16; ++i)
    {
        const std::wstring strName = std::to_wstring(i) + std::wstring(120, L'x');
        AddProbe(L"PluginExtra", L"PluginExtraLong" + std::to_wstring(i), Probe(strName.c_str(), 0, 0));
    }
    Open();
    CtrlKey('A');
    CtrlKey('C');
    const std::wstring strAll = AllRowsText();
    ASSERT_GT(strAll.size(), 2047u);
    EXPECT_EQ(strAll.substr(0, 2047), ClipboardText());
}

TEST_F(ModuleInfoPage, ApplySetsTheDisableStateOnlyWhereTheRowDiffersFromTheModule)
{
    Open();
    Click(ROW_CALLER, true);    // on -> off: disable
    Click(ROW_JOURNAL, true);   // off -> on: enable
    Click(ROW_TOOLS, true);     // twice: as the module is
    Click(ROW_TOOLS, true);
    ASSERT_EQ(2, Image(ROW_CALLER));
    ASSERT_EQ(1, Image(ROW_JOURNAL));
    ASSERT_EQ(1, Image(ROW_TOOLS));
    ClearLog();
    ApplyModuleStates();
    EXPECT_EQ((std::vector<std::string>{"PluginInfoA 1", "PluginSaveA 0"}), SetDisableCalls());
    ClearLog();
    ApplyModuleStates();
    EXPECT_TRUE(SetDisableCalls().empty());

    // A row whose module the list let go behind the page's back is left alone, even while
    // other code still holds the module.
    Click(ROW_TOOLS, true);
    HMODULE hHeld = nullptr;
    ASSERT_TRUE(GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                   reinterpret_cast<LPCWSTR>(g_PluginExtra.GetModuleHandle(0)), &hHeld));
    g_PluginExtra.UnloadAllModules();
    ApplyModuleStates();
    FreeLibrary(hHeld);
    EXPECT_TRUE(SetDisableCalls().empty());
}

TEST_F(ModuleInfoPage, RefreshShowsTheModulesAsTheyAreNow)
{
    Open();
    const auto pfnSetDisable = reinterpret_cast<PFN_DLL_SetDisableState>(
        GetProcAddress(g_PluginExtra.GetModuleHandle(0), DLL_NAME_SETDISABLESTATE));
    ASSERT_NE(nullptr, pfnSetDisable);
    pfnSetDisable(1);
    RefreshModuleInfoPage();
    EXPECT_EQ(2, Image(ROW_TOOLS));
    g_PluginSearch.UnloadAllModules();
    RefreshModuleInfoPage();
    ASSERT_EQ(ROW_COUNT - 2, Rows());
    EXPECT_EQ(L"Caller info", Cell(ROW_DIRECTORY, 0));
}

TEST_F(ModuleInfoPage, OkOrCancelEndsThePageAndANewPageLoadsThePicturesAgain)
{
    Open();
    for (const WPARAM wCommand : {IDOK, IDCANCEL})
    {
        SendMessageW(m_hWndPage, WM_COMMAND, wCommand, 0);
        EXPECT_FALSE(IsWindow(m_hWndPage));
        ClearLog();
        ApplyModuleStates();   // no page: nothing is applied
        RefreshModuleInfoPage();
        EXPECT_TRUE(SetDisableCalls().empty());
        m_hWndPage = CreateModuleInfoPage(m_hWndSettings, 96);
        ASSERT_NE(nullptr, m_hWndPage);
        m_hWndList = GetDlgItem(m_hWndPage, IDC_MODULE_LIST);
        const HIMAGELIST hImages = ListView_GetImageList(m_hWndList, LVSIL_SMALL);
        ASSERT_NE(nullptr, hImages);
        EXPECT_EQ(4, ImageList_GetImageCount(hImages));
    }
}

TEST_F(ModuleInfoPage, RowsAlternateTheirGroundAndOtherVersionsShowInTheirColour)
{
    Open();
    UpdateWindow(m_hWndSettings);
    Sleep(SETTLE_MS);
    Pump();
    RECT rcPage = {};
    GetWindowRect(m_hWndPage, &rcPage);
    const CScreenImage page(rcPage);
    EXPECT_TRUE(page.SavePng(L"moduleinfo-scheme0"));
    // Each row as the screen shows it: its ground beside the cells' texts and between them,
    // the colour of its texts.
    for (int i = 0; i < ROW_COUNT; ++i)
    {
        RECT rcRow = {}, rcCell = {};
        ListView_GetItemRect(m_hWndList, i, &rcRow, LVIR_BOUNDS);
        ListView_GetSubItemRect(m_hWndList, i, 1, LVIR_BOUNDS, &rcCell);
        MapWindowPoints(m_hWndList, nullptr, reinterpret_cast<POINT*>(&rcRow), 2);
        MapWindowPoints(m_hWndList, m_hWndPage, reinterpret_cast<POINT*>(&rcCell), 2);
        const COLORREF crGround = g_DlgColors.GetColor(i % 2 == 0 ? QEL_COLOR_LISTBACK : QEL_COLOR_LISTALTBACK);
        const int y = (rcCell.top + rcCell.bottom) / 2;
        EXPECT_EQ(crGround, page.Pixel(rcCell.left + 2, y)) << i;
        EXPECT_EQ(crGround, page.Pixel(rcRow.right - rcPage.left - 4, y)) << i;
        const int iOther = CScreenImage(rcRow).Count(g_DlgColors.GetColor(QEL_COLOR_OTHERVERSIONTEXT), 60);
        if (i == ROW_MAIN)
            EXPECT_EQ(0, iOther);
        else
            EXPECT_GT(iOther, 10) << i;
    }
}

TEST_F(ModuleInfoPage, PluginStoppedAfterFaultsShowsSwitchedOffAndSwitchedOnIsLoadedAgain)
{
    // The settings of this test alone, beside a program of its own.
    tvr::CTempFolder store;
    SetEnvironmentVariableW(L"QelConfig", L"1");
    g_RegIniAccess.InitForFiles(1, store.Child(L"Stops.dll").c_str(), store.Child(L"Stops.exe").c_str());
    SetEnvironmentVariableW(L"QelConfig", nullptr);
    AddProbe(L"PluginExtra", L"PluginExtraZ", Probe(L"Faulty", 1, 0));
    const std::wstring strStopped = Folder(L"PluginExtra") + L"\\PluginExtraZ.DLL";
    StopPlugin(strStopped.c_str());
    Open();
    ASSERT_EQ(1u, g_PluginExtra.GetStoppedFiles().size());
    const int iRow = Rows() - 1;
    EXPECT_EQ(L"PluginExtraZ.DLL (stopped after faults)", Cell(iRow, 0));
    EXPECT_EQ(2, Image(iRow));
    ApplyModuleStates();
    EXPECT_TRUE(IsPluginStopped(strStopped.c_str()));   // left off, it stays stopped
    // The tray tooltip names it too.
    const std::wstring strTip = g_InfoIcon.GetNotifyData().szTip;
    ReportStoppedPlugins();
    EXPECT_NE(nullptr, wcsstr(g_InfoIcon.GetNotifyData().szTip, L"\nstopped after faults: PluginExtraZ.DLL"))
        << tvr::WideToUtf8(g_InfoIcon.GetNotifyData().szTip);
    g_InfoIcon.SetTip(strTip.c_str());

    Click(iRow, true);
    EXPECT_EQ(1, Image(iRow));
    ApplyModuleStates();
    EXPECT_FALSE(IsPluginStopped(strStopped.c_str()));
    LoadAll();
    EXPECT_TRUE(g_PluginExtra.GetStoppedFiles().empty());
    bool bLoaded = false;
    for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
        bLoaded = bLoaded || GetModulePath(g_PluginExtra.GetModuleHandle(i)) == strStopped;
    EXPECT_TRUE(bLoaded);
}
