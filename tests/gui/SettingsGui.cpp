#include "SettingsGui.h"

#include <shlobj.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstring>
#include <sstream>

#include "TelvarinPlugin.h"
#include "base/Handle.h"
#include "bus/SharedMem.h"

namespace {

const UINT CMD_SHOWCONFIG = 32778;
const int TEXT_CHARS = 256;

std::wstring UserName()
{
    wchar_t szUser[128] = L"";
    DWORD cchUser = ARRAYSIZE(szUser);
    GetUserNameW(szUser, &cchUser);
    return szUser;
}

} // namespace

void CSettingsHostTest::SetUp()
{
    GuiTest::SetUp();
    if (IsSkipped())
        return;
    m_strName = L"TvrSet" + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(GetTickCount() % 100000);
    ASSERT_TRUE(CopyFileW(m_Folder.ExePath().c_str(), m_Folder.Child(m_strName + L".exe").c_str(), FALSE));
    m_strLog = m_Folder.Child(L"pages.log");
}

void CSettingsHostTest::TearDown()
{
    m_Host.Kill();
    if (!m_strName.empty())
        DeleteFileW((tvr::UserDataFolder(L"CFG") + L"\\" + m_strName + L".INI").c_str());
}

void CSettingsHostTest::AddPage(const SPagePlugin& _page)
{
    ASSERT_TRUE(m_Folder.AddPlugin(_page.strCategory, L"PluginSettingsPage.dll", _page.strFile + L".DLL"));
    const std::wstring strIni = m_Folder.Child(_page.strCategory + L"\\" + _page.strFile + L".ini");
    WritePrivateProfileStringW(L"Page", L"Name", _page.strName.c_str(), strIni.c_str());
    WritePrivateProfileStringW(L"Page", L"ID", std::to_wstring(_page.iId).c_str(), strIni.c_str());
    WritePrivateProfileStringW(L"Page", L"CanDisable", std::to_wstring(_page.iCanDisable).c_str(), strIni.c_str());
    WritePrivateProfileStringW(L"Page", L"Disabled", std::to_wstring(_page.iDisabled).c_str(), strIni.c_str());
    WritePrivateProfileStringW(L"Page", L"Log", m_strLog.c_str(), strIni.c_str());
    ++m_uPages;
}

void CSettingsHostTest::StorePosition(const std::wstring& _strPosition)
{
    const std::wstring strFolder = tvr::UserDataFolder(L"CFG");
    SHCreateDirectoryExW(nullptr, strFolder.c_str(), nullptr);
    ASSERT_TRUE(WritePrivateProfileStringW(L"General", L"Position", _strPosition.c_str(),
                                           (strFolder + L"\\" + m_strName + L".INI").c_str()));
}

std::wstring CSettingsHostTest::StoredPosition() const
{
    return tvr::ReadIniValue(tvr::UserDataFolder(L"CFG") + L"\\" + m_strName + L".INI", L"General", L"Position");
}

void CSettingsHostTest::StartHost()
{
    DeleteFileW(m_strLog.c_str());
    ASSERT_TRUE(m_Host.Start(m_Folder.Child(m_strName + L".exe")));
    m_hWnd = m_Host.WaitForWindow();
    ASSERT_NE(nullptr, m_hWnd);
    ASSERT_TRUE(tvr::WaitUntil([&]() {
        const std::vector<std::string> vecLines = LogLines();
        return static_cast<size_t>(std::count_if(vecLines.begin(), vecLines.end(), [](const std::string& _strLine) {
                   return _strLine.find("|AfterLoad|") != std::string::npos;
               })) >= m_uPages;
    }, WAIT_MS));
}

HWND CSettingsHostTest::OpenSettings()
{
    PostMessageW(m_hWnd, WM_COMMAND, CMD_SHOWCONFIG, 0);
    return WaitForSettings();
}

HWND CSettingsHostTest::WaitForSettings(DWORD _dwMs)
{
    m_hWndSettings = nullptr;
    tvr::WaitUntil([&]() {
        m_hWndSettings = FindProcessWindow(m_Host.Pid(), L"#32770");
        return m_hWndSettings != nullptr && GetDlgItem(m_hWndSettings, 2001) != nullptr;
    }, _dwMs);
    return m_hWndSettings;
}

HWND CSettingsHostTest::Title() const
{
    for (HWND hWnd = GetWindow(m_hWndSettings, GW_CHILD); hWnd; hWnd = GetWindow(hWnd, GW_HWNDNEXT))
    {
        wchar_t szClass[16] = L"";
        GetClassNameW(hWnd, szClass, ARRAYSIZE(szClass));
        if (_wcsicmp(szClass, L"Static") == 0)
            return hWnd;
    }
    return nullptr;
}

HWND CSettingsHostTest::Page() const
{
    for (HWND hWnd = GetWindow(m_hWndSettings, GW_CHILD); hWnd; hWnd = GetWindow(hWnd, GW_HWNDNEXT))
    {
        const int iId = GetDlgCtrlID(hWnd);
        if (hWnd != Title() && iId != 2001 && iId != IDCANCEL && iId != 2002 && iId != IDHELP && IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}

std::wstring CSettingsHostTest::ItemText(HTREEITEM _hItem) const
{
    CRemoteBuffer buffer(m_Host.Handle(), sizeof(TVITEMW) + TEXT_CHARS * sizeof(wchar_t));
    TVITEMW item = {};
    item.mask = TVIF_TEXT;
    item.hItem = _hItem;
    item.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(buffer.Address()) + sizeof(TVITEMW));
    item.cchTextMax = TEXT_CHARS;
    wchar_t szText[TEXT_CHARS] = L"";
    if (!buffer.Write(&item, sizeof(item)) || !SendMessageW(Tree(), TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(buffer.Address()))
        || !buffer.Read(szText, sizeof(szText), sizeof(TVITEMW)))
        return L"";
    szText[TEXT_CHARS - 1] = 0;
    return szText;
}

std::vector<std::wstring> CSettingsHostTest::ChildTexts(HTREEITEM _hParent) const
{
    std::vector<std::wstring> vecTexts;
    HTREEITEM hItem = _hParent ? TreeView_GetChild(Tree(), _hParent) : TreeView_GetRoot(Tree());
    for (; hItem; hItem = TreeView_GetNextSibling(Tree(), hItem))
        vecTexts.push_back(ItemText(hItem));
    return vecTexts;
}

HTREEITEM CSettingsHostTest::FindItem(const std::wstring& _strRoot, const std::wstring& _strChild) const
{
    for (HTREEITEM hRoot = TreeView_GetRoot(Tree()); hRoot; hRoot = TreeView_GetNextSibling(Tree(), hRoot))
    {
        if (ItemText(hRoot) != _strRoot)
            continue;
        if (_strChild.empty())
            return hRoot;
        for (HTREEITEM hChild = TreeView_GetChild(Tree(), hRoot); hChild; hChild = TreeView_GetNextSibling(Tree(), hChild))
            if (ItemText(hChild) == _strChild)
                return hChild;
    }
    return nullptr;
}

std::wstring CSettingsHostTest::SelectedText() const
{
    const HTREEITEM hItem = TreeView_GetSelection(Tree());
    return hItem ? ItemText(hItem) : L"";
}

void CSettingsHostTest::Select(HTREEITEM _hItem) const
{
    PostMessageW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(_hItem));
}

bool CSettingsHostTest::WaitSelected(const std::wstring& _strText) const
{
    return tvr::WaitUntil([&]() { return SelectedText() == _strText; }, WAIT_MS);
}

void CSettingsHostTest::ReportChange() const
{
    PostMessageW(m_hWnd, WM_QEL_CONFIGCHANGED, 0, 0);
    tvr::WaitUntil([&]() { return IsWindowEnabled(GetDlgItem(m_hWndSettings, 2002)) != FALSE; }, WAIT_MS);
}

HWND CSettingsHostTest::WaitForQuestion() const
{
    HWND hWndBox = nullptr;
    tvr::WaitUntil([&]() {
        hWndBox = FindProcessWindow(m_Host.Pid(), L"QelMessageBoxClass");
        return hWndBox != nullptr;
    }, 5000);
    return hWndBox;
}

void CSettingsHostTest::Answer(HWND _hWndBox, int _iButton) const
{
    PostMessageW(_hWndBox, WM_COMMAND, static_cast<WPARAM>(_iButton), 0);
    tvr::WaitUntil([&]() { return !IsWindow(_hWndBox); }, WAIT_MS);
    Sleep(900);   // the box's own loop hands on the last input for 700 ms after it closed
}

RECT CSettingsHostTest::ClientRectOf(HWND _hWndControl) const
{
    RECT rc = {};
    GetWindowRect(_hWndControl, &rc);
    MapWindowPoints(nullptr, m_hWndSettings, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

std::vector<std::string> CSettingsHostTest::LogLines() const
{
    std::vector<std::string> vecLines;
    std::istringstream stream(tvr::ReadFileBytes(m_strLog));
    std::string strLine;
    while (std::getline(stream, strLine))
    {
        if (!strLine.empty() && strLine.back() == '\r')
            strLine.pop_back();
        vecLines.push_back(strLine);
    }
    return vecLines;
}

bool CSettingsHostTest::HasLog(const std::string& _strLine) const
{
    for (const std::string& strLine : LogLines())
        if (strLine == _strLine)
            return true;
    return false;
}

bool CSettingsHostTest::WaitForLog(const std::string& _strLine, DWORD _dwMs) const
{
    return tvr::WaitUntil([&]() { return HasLog(_strLine); }, _dwMs);
}

LONG CSettingsHostTest::SharedPluginId() const
{
    wchar_t szName[CSharedMem::NAME_CHARS];
    CSharedMem::FormatName(szName, ARRAYSIZE(szName), (m_Folder.Path() + L"\\").c_str(), UserName().c_str());
    const CKernelHandle hMapping(OpenFileMappingW(FILE_MAP_READ, FALSE, szName));
    if (!hMapping)
        return -1;
    const void* pView = MapViewOfFile(hMapping.Get(), FILE_MAP_READ, 0, 0, CSharedMem::BLOCK_BYTES);
    if (!pView)
        return -1;
    const LONG lId = static_cast<const volatile LONG*>(pView)[SHM_PLUGINID];
    UnmapViewOfFile(pView);
    return lId;
}

HMODULE CSettingsHostTest::ModuleInHost(const std::wstring& _strFile) const
{
    const CFileHandle hSnapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, m_Host.Pid()));
    if (!hSnapshot)
        return nullptr;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Module32FirstW(hSnapshot.Get(), &entry); bMore; bMore = Module32NextW(hSnapshot.Get(), &entry))
        if (_wcsicmp(entry.szModule, (_strFile + L".DLL").c_str()) == 0)
            return entry.hModule;
    return nullptr;
}

HWND CSettingsHostTest::ModuleList() const
{
    const HWND hWndPage = Page();
    return hWndPage ? GetDlgItem(hWndPage, 1012) : nullptr;
}

int CSettingsHostTest::RowOf(const std::wstring& _strName) const
{
    const HWND hWndList = ModuleList();
    const int iRows = ListView_GetItemCount(hWndList);
    for (int iRow = 0; iRow < iRows; ++iRow)
    {
        CRemoteBuffer buffer(m_Host.Handle(), sizeof(LVITEMW) + TEXT_CHARS * sizeof(wchar_t));
        LVITEMW item = {};
        item.iSubItem = 0;
        item.pszText = reinterpret_cast<wchar_t*>(static_cast<BYTE*>(buffer.Address()) + sizeof(LVITEMW));
        item.cchTextMax = TEXT_CHARS;
        wchar_t szText[TEXT_CHARS] = L"";
        if (buffer.Write(&item, sizeof(item))
            && SendMessageW(hWndList, LVM_GETITEMTEXTW, iRow, reinterpret_cast<LPARAM>(buffer.Address())) > 0
            && buffer.Read(szText, sizeof(szText), sizeof(LVITEMW)) && _strName == szText)
            return iRow;
    }
    return -1;
}

RECT CSettingsHostTest::ItemOnScreen(HTREEITEM _hItem) const
{
    // TVM_GETITEMRECT takes the item in the rectangle's first bytes.
    RECT rc = {};
    static_assert(sizeof(HTREEITEM) <= sizeof(RECT), "the item fits into the rectangle");
    memcpy(&rc, &_hItem, sizeof(_hItem));
    CRemoteBuffer buffer(m_Host.Handle(), sizeof(RECT));
    if (!buffer.Write(&rc, sizeof(rc)) || !SendMessageW(Tree(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(buffer.Address()))
        || !buffer.Read(&rc, sizeof(rc)))
        return RECT{};
    MapWindowPoints(Tree(), nullptr, reinterpret_cast<POINT*>(&rc), 2);
    return rc;
}

void CSettingsHostTest::ChangeScheme(int _iScheme, const std::wstring& _strLanguage) const
{
    const std::wstring strRecord = tvr::MakeRecord(QEL_BUSMSG_SCHEME, {{L"SchemeIndex", std::to_wstring(_iScheme)},
                                                                       {L"UsedFont", L"Segoe UI"},
                                                                       {L"UsedLanguage", _strLanguage}});
    const size_t cbRecord = (strRecord.size() + 1) * sizeof(wchar_t);
    CRemoteBuffer buffer(m_Host.Handle(), cbRecord);
    ASSERT_TRUE(buffer.Write(strRecord.c_str(), cbRecord));
    DWORD_PTR dwResult = 0;
    ASSERT_TRUE(SendMessageTimeoutW(m_hWnd, WM_QEL_SCHEME, 0, reinterpret_cast<LPARAM>(buffer.Address()), SMTO_NORMAL,
                                    WAIT_MS, &dwResult));
}
