// Messages whose lParam points to a structure, sent and posted from this process to the host's
// settings window and its module info page: the host reads no structure at such an lParam (unreadable,
// or readable in the host with a forged header naming its own controls), stays alive and
// leaves the windows as they were.
#include <gtest/gtest.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "HostMemory.h"
#include "HostWindowFixture.h"
#include "TelvarinPlugin.h"
#include "UiResources.h"

namespace {

const UINT CMD_SHOWCONFIG = 32778;   // the tray menu's Settings command

// A page allocated in the host, holding what is written there and then read-only, or no access.
class CHostPage
{
public:
    CHostPage(HANDLE _hProcess, const void* _pContent, size_t _cbContent, DWORD _dwProtect) : m_hProcess(_hProcess)
    {
        m_pPage = VirtualAllocEx(_hProcess, nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        DWORD dwOld = 0;
        if (m_pPage && (!WriteProcessMemory(_hProcess, m_pPage, _pContent, _cbContent, nullptr) ||
                        !VirtualProtectEx(_hProcess, m_pPage, 4096, _dwProtect, &dwOld)))
            m_pPage = nullptr;
    }
    ~CHostPage()
    {
        if (m_pPage)
            VirtualFreeEx(m_hProcess, m_pPage, 0, MEM_RELEASE);
    }
    CHostPage(const CHostPage&) = delete;
    CHostPage& operator=(const CHostPage&) = delete;
    LPARAM Address() const { return reinterpret_cast<LPARAM>(m_pPage); }

private:
    HANDLE m_hProcess;
    void* m_pPage;
};

class ForeignStructMessages : public HostWindowTest
{
protected:
    // Opens the settings window by a command sent from this process: the host opens it, and
    // its controls notify it, while it handles another process's message.
    void OpenSettings()
    {
        StartHost();
        DWORD_PTR dwResult = 0;
        ASSERT_NE(0, SendMessageTimeoutW(m_hWnd, WM_COMMAND, CMD_SHOWCONFIG, 0, SMTO_NORMAL, 10000, &dwResult));
        // The window is complete once its page holds the module list and its title and tree
        // selection are set: it can be found while it is still being built.
        ASSERT_TRUE(tvr::WaitUntil(
            [&] {
                m_hWndSettings = tvr::FindProcessWindow(m_Host.Pid(), L"#32770");
                m_hWndPage = m_hWndSettings ? FindWindowExW(m_hWndSettings, nullptr, L"#32770", nullptr) : nullptr;
                m_hWndTree = m_hWndSettings ? GetDlgItem(m_hWndSettings, IDC_SETTINGS_TREE) : nullptr;
                m_hWndList = m_hWndPage ? GetDlgItem(m_hWndPage, IDC_MODULE_LIST) : nullptr;
                return m_hWndTree && m_hWndList && !Title().empty() &&
                       SendMessageW(m_hWndTree, TVM_GETNEXTITEM, TVGN_CARET, 0) != 0;
            },
            10000));
        m_strTitle = Title();
        m_lSelected = SendMessageW(m_hWndTree, TVM_GETNEXTITEM, TVGN_CARET, 0);
    }
    std::wstring Title() const
    {
        wchar_t szTitle[256] = L"";
        GetWindowTextW(m_hWndSettings, szTitle, ARRAYSIZE(szTitle));
        return szTitle;
    }
    void ExpectUnchanged(const std::string& _strWhat)
    {
        ASSERT_TRUE(m_Host.IsRunning()) << _strWhat;
        ExpectAlive();
        EXPECT_TRUE(IsWindow(m_hWndSettings)) << _strWhat;
        EXPECT_EQ(m_hWndPage, FindWindowExW(m_hWndSettings, nullptr, L"#32770", nullptr)) << _strWhat;
        EXPECT_EQ(m_strTitle, Title()) << _strWhat;
        EXPECT_EQ(m_lSelected, SendMessageW(m_hWndTree, TVM_GETNEXTITEM, TVGN_CARET, 0)) << _strWhat;
    }
    // The window's answer.
    DWORD_PTR Send(HWND _hWnd, UINT _uMsg, LPARAM _lParam, const std::string& _strWhat, WPARAM _wParam = 0)
    {
        DWORD_PTR dwResult = 0;
        SendMessageTimeoutW(_hWnd, _uMsg, _wParam, _lParam, SMTO_NORMAL, 5000, &dwResult);
        ExpectUnchanged("sent to the " + _strWhat);
        return dwResult;
    }
    // Posted, then a marker behind it: once the probe has the marker, the host's loop has
    // taken the posted message too.
    void Post(HWND _hWnd, UINT _uMsg, LPARAM _lParam, const std::string& _strWhat, WPARAM _wParam = 0)
    {
        if (!PostMessageW(_hWnd, _uMsg, _wParam, _lParam))
        {
            EXPECT_EQ(static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY), GetLastError()) << _strWhat;
            return;   // the system carries it only when sent
        }
        EXPECT_TRUE(DrainPosted(10000) || !m_Host.IsRunning()) << _strWhat;
        ExpectUnchanged("posted to the " + _strWhat);
    }
    // Sent (the system refuses to carry WM_NOTIFY to another process under Wine, not on
    // Windows), then posted.
    void SendAndPost(HWND _hWnd, UINT _uMsg, LPARAM _lParam, const std::string& _strWhat)
    {
        Send(_hWnd, _uMsg, _lParam, _strWhat);
        Post(_hWnd, _uMsg, _lParam, _strWhat);
    }

    HWND m_hWndSettings = nullptr;
    HWND m_hWndPage = nullptr;
    HWND m_hWndTree = nullptr;
    HWND m_hWndList = nullptr;
    std::wstring m_strTitle;
    LRESULT m_lSelected = 0;
};

// An address of the host where nothing is mapped.
LPARAM FreeAddress(HANDLE _hProcess)
{
    MEMORY_BASIC_INFORMATION mbi = {};
    for (UINT_PTR uAddress = 0x10000; VirtualQueryEx(_hProcess, reinterpret_cast<void*>(uAddress), &mbi, sizeof(mbi));
         uAddress = reinterpret_cast<UINT_PTR>(mbi.BaseAddress) + mbi.RegionSize)
    {
        if (mbi.State == MEM_FREE && mbi.RegionSize >= 0x20000)
            return static_cast<LPARAM>(reinterpret_cast<UINT_PTR>(mbi.BaseAddress) + 0x10008);
    }
    return 0x10;
}

}   // namespace

TEST_F(ForeignStructMessages, NotifyAtUnreadableOrForgedMemoryChangesNothing)
{
    OpenSettings();
    const HANDLE hProcess = m_Host.Handle();
    // Headers the host's own controls would send, forged in read-only pages of the host: a
    // custom-draw stage whose handling writes colours, and a selection change of the tree.
    NMTVCUSTOMDRAW treeDraw = {};
    treeDraw.nmcd.hdr = {m_hWndTree, IDC_SETTINGS_TREE, static_cast<UINT>(NM_CUSTOMDRAW)};
    treeDraw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT;
    treeDraw.nmcd.uItemState = CDIS_SELECTED;
    NMTREEVIEWW treeSelection = {};
    treeSelection.hdr = {m_hWndTree, IDC_SETTINGS_TREE, static_cast<UINT>(TVN_SELCHANGEDW)};
    NMLVCUSTOMDRAW listDraw = {};
    listDraw.nmcd.hdr = {m_hWndList, IDC_MODULE_LIST, static_cast<UINT>(NM_CUSTOMDRAW)};
    listDraw.nmcd.dwDrawStage = CDDS_ITEMPREPAINT | CDDS_SUBITEM;
    const CHostPage treeDrawPage(hProcess, &treeDraw, sizeof(treeDraw), PAGE_READONLY);
    const CHostPage treeSelectionPage(hProcess, &treeSelection, sizeof(treeSelection), PAGE_READONLY);
    const CHostPage listDrawPage(hProcess, &listDraw, sizeof(listDraw), PAGE_READONLY);
    const CHostPage noAccessPage(hProcess, &listDraw, sizeof(listDraw), PAGE_NOACCESS);
    ASSERT_NE(0, treeDrawPage.Address());
    ASSERT_NE(0, treeSelectionPage.Address());
    ASSERT_NE(0, listDrawPage.Address());
    ASSERT_NE(0, noAccessPage.Address());

    std::vector<std::pair<std::string, LPARAM>> vecCommon = {
        {"small value", 0x10}, {"free address", FreeAddress(hProcess)}, {"no-access page", noAccessPage.Address()}};
    for (const LPARAM lBlock : tvr::HeapBlockAddresses(hProcess, 4))
        vecCommon.push_back({"heap block", lBlock});
    for (const LPARAM lCode : tvr::ProgramCodeAddresses(hProcess, 0x10000))
        vecCommon.push_back({"program code", lCode});
    for (const auto& value : vecCommon)
    {
        SendAndPost(m_hWndSettings, WM_NOTIFY, value.second, "settings window, " + value.first);
        SendAndPost(m_hWndPage, WM_NOTIFY, value.second, "module info page, " + value.first);
        if (HasFatalFailure())
            return;
    }
    SendAndPost(m_hWndSettings, WM_NOTIFY, treeDrawPage.Address(), "settings window, forged custom draw");
    SendAndPost(m_hWndSettings, WM_NOTIFY, treeSelectionPage.Address(), "settings window, forged selection change");
    SendAndPost(m_hWndPage, WM_NOTIFY, listDrawPage.Address(), "module info page, forged custom draw");
}

TEST_F(ForeignStructMessages, CopiedStructuresAreNeitherDrawnNorFilled)
{
    OpenSettings();
    // The system copies these structures across; the host neither draws the named button on
    // the handed device context nor fills in the size limits.
    DRAWITEMSTRUCT draw = {};
    draw.CtlType = ODT_BUTTON;
    draw.CtlID = IDCANCEL;
    draw.hwndItem = GetDlgItem(m_hWndSettings, IDCANCEL);
    draw.hDC = reinterpret_cast<HDC>(static_cast<UINT_PTR>(0x01010BAD));
    draw.rcItem = {0, 0, 80, 24};
    Send(m_hWndSettings, WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), "settings window, WM_DRAWITEM");
    Send(m_hWndPage, WM_DRAWITEM, reinterpret_cast<LPARAM>(&draw), "module info page, WM_DRAWITEM");
    // Posted, a structure message carries this process's pointer as it is (where the system
    // posts it at all): the host's loop drops it.
    Post(m_hWndSettings, WM_DRAWITEM, FreeAddress(m_Host.Handle()), "settings window, WM_DRAWITEM");
    MINMAXINFO limits = {};
    Send(m_hWndSettings, WM_GETMINMAXINFO, reinterpret_cast<LPARAM>(&limits), "settings window, WM_GETMINMAXINFO");
    EXPECT_EQ(0, limits.ptMinTrackSize.x);
    EXPECT_EQ(0, limits.ptMinTrackSize.y);
}

TEST_F(ForeignStructMessages, DeviceContextsOfAnotherProcessAreNotDrawnOn)
{
    OpenSettings();
    // A device context is only its own process's: one handed over is a number that may name
    // any of the host's GDI objects. The first one took the host down under Wine when the
    // settings window's default handling erased its background with it.
    const WPARAM wSoakValue = static_cast<WPARAM>(0x253D0EAE64E663B9ULL);
    for (const WPARAM wDc : {wSoakValue, static_cast<WPARAM>(0x01010BAD)})
    {
        for (const HWND hWnd : {m_hWndSettings, m_hWndPage})
        {
            const std::string strWhere = hWnd == m_hWndSettings ? "settings window" : "module info page";
            EXPECT_EQ(0u, Send(hWnd, WM_ERASEBKGND, 0, strWhere + ", WM_ERASEBKGND", wDc)) << "erased";
            Send(hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<LPARAM>(m_hWndTree), strWhere + ", WM_CTLCOLORSTATIC", wDc);
            Post(hWnd, WM_ERASEBKGND, 0, strWhere + ", WM_ERASEBKGND", wDc);
            Post(hWnd, WM_PRINTCLIENT, PRF_CLIENT, strWhere + ", WM_PRINTCLIENT", wDc);
            if (HasFatalFailure())
                return;
        }
    }
}
