// The language module chosen from the process's language settings: with a German locale
// the refusal at start (a stopped service of the same file is installed) shows the German
// text of the module in a box captioned with the product name.
#include <gtest/gtest.h>
#include <string>

#include "HostHarness.h"
#include "config/RegTool.h"

using namespace tvr;

namespace {

const wchar_t SERVICE_NAME[] = L"Telvarin";

std::wstring ModuleString(const wchar_t* _pszModule, UINT _uId)
{
    HMODULE hModule = LoadLibraryExW(_pszModule, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    wchar_t szText[1024] = L"";
    if (hModule != nullptr)
    {
        LoadStringW(hModule, _uId, szText, ARRAYSIZE(szText));
        FreeLibrary(hModule);
    }
    return szText;
}

std::wstring ClassOf(HWND _hWnd)
{
    wchar_t szClass[64] = L"";
    GetClassNameW(_hWnd, szClass, ARRAYSIZE(szClass));
    return szClass;
}

std::wstring TextOf(HWND _hWnd)
{
    wchar_t szText[1024] = L"";
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(_hWnd, WM_GETTEXT, ARRAYSIZE(szText), reinterpret_cast<LPARAM>(szText), SMTO_ABORTIFHUNG, 2000, &dwResult);
    return szText;
}

std::wstring ImageOf(DWORD _dwPid)
{
    wchar_t szImage[MAX_PATH] = L"";
    DWORD cchImage = MAX_PATH;
    HANDLE hProcess = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, _dwPid);
    if (hProcess == nullptr)
        return L"";
    if (!QueryFullProcessImageNameW(hProcess, 0, szImage, &cchImage))
        szImage[0] = 0;
    CloseHandle(hProcess);
    return szImage;
}

struct SBoxSearch
{
    std::wstring strImage;
    HWND hBox;
};

BOOL CALLBACK MatchMessageBox(HWND _hWnd, LPARAM _lParam)
{
    SBoxSearch* pSearch = reinterpret_cast<SBoxSearch*>(_lParam);
    const std::wstring strClass = ClassOf(_hWnd);
    if (strClass != L"#32770" && strClass != L"QelMessageBoxClass")
        return TRUE;
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (CompareStringOrdinal(ImageOf(dwPid).c_str(), -1, pSearch->strImage.c_str(), -1, TRUE) != CSTR_EQUAL)
        return TRUE;
    pSearch->hBox = _hWnd;
    return FALSE;
}

// The system's box (#32770) or the host's own box of a process of that program file.
HWND FindMessageBox(const std::wstring& _strImage)
{
    SBoxSearch search = {_strImage, nullptr};
    EnumWindows(MatchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.hBox;
}

// Wine takes a process's language settings from the Unix locale it starts with, which an
// environment block passed to CreateProcessW does not change (checked: the child still
// answers 0x0409). So the program is started through the Unix "env" command with LC_ALL,
// which Wine runs as a Unix process; the de_DE locale need not be installed for this.
bool StartWithGermanLocale(const std::wstring& _strExe)
{
    wchar_t szLoader[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"WINELOADER", szLoader, MAX_PATH) == 0)
        return false;
    std::wstring strCommand = std::wstring(L"/usr/bin/env LC_ALL=de_DE.UTF-8 ") + szLoader + L" \"" + _strExe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return true;
}

void EndBoxProcess(HWND _hBox)
{
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hBox, &dwPid);
    HANDLE hProcess = OpenProcess(PROCESS_TERMINATE, FALSE, dwPid);
    if (hProcess == nullptr)
        return;
    TerminateProcess(hProcess, 1);
    CloseHandle(hProcess);
}

BOOL CALLBACK KeepLongestStaticText(HWND _hWnd, LPARAM _lParam)
{
    std::wstring* pstrMessage = reinterpret_cast<std::wstring*>(_lParam);
    if (CompareStringOrdinal(ClassOf(_hWnd).c_str(), -1, L"Static", -1, TRUE) == CSTR_EQUAL)
    {
        const std::wstring strText = TextOf(_hWnd);
        if (strText.size() > pstrMessage->size())
            *pstrMessage = strText;
    }
    return TRUE;
}

// The longest text of the box's static controls: the message (the icon has none).
std::wstring MessageOf(HWND _hBox)
{
    std::wstring strMessage;
    EnumChildWindows(_hBox, KeepLongestStaticText, reinterpret_cast<LPARAM>(&strMessage));
    return strMessage;
}

// The service "Telvarin" installed, stopped, from the install folder's program file.
class StoppedService : public testing::Test
{
protected:
    void SetUp() override
    {
        if (GetRunningState() != 0)
            GTEST_SKIP() << "the maker's test marker suppresses the refusal box on this machine";
        SC_HANDLE hManager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        ASSERT_NE(nullptr, hManager);
        SC_HANDLE hService = CreateServiceW(hManager, SERVICE_NAME, SERVICE_NAME, SERVICE_ALL_ACCESS, SERVICE_WIN32_OWN_PROCESS,
                                            SERVICE_DEMAND_START, SERVICE_ERROR_NORMAL, m_install.ExePath().c_str(),
                                            nullptr, nullptr, nullptr, nullptr, nullptr);
        const DWORD dwError = GetLastError();
        CloseServiceHandle(hManager);
        ASSERT_NE(nullptr, hService) << "CreateServiceW failed with " << dwError << " (a service of that name left over?)";
        CloseServiceHandle(hService);
        m_bInstalled = true;
    }
    void TearDown() override
    {
        if (!m_bInstalled)
            return;
        SC_HANDLE hManager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
        SC_HANDLE hService = OpenServiceW(hManager, SERVICE_NAME, DELETE);
        DeleteService(hService);
        CloseServiceHandle(hService);
        CloseServiceHandle(hManager);
    }

    CInstallFolder m_install;
    bool m_bInstalled = false;
};

} // namespace

TEST_F(StoppedService, RefusalShowsTheGermanTextWithAGermanLocale)
{
    const std::wstring strGerman = ModuleString(TVR_DIST_DIR L"\\Resource\\DE\\RESOURCE.DLL", 1029);
    ASSERT_FALSE(strGerman.empty());
    ASSERT_NE(ModuleString(TVR_DIST_DIR L"\\Resource\\EN\\RESOURCE.DLL", 1029), strGerman);

    wchar_t szLoader[MAX_PATH] = L"";
    if (GetEnvironmentVariableW(L"WINELOADER", szLoader, MAX_PATH) == 0)
        GTEST_SKIP() << "not under Wine: the locale of a started program is set by the Windows account, not by the test";
    ASSERT_TRUE(StartWithGermanLocale(m_install.ExePath()));
    HWND hBox = nullptr;
    ASSERT_TRUE(WaitUntil([&] { return (hBox = FindMessageBox(m_install.ExePath())) != nullptr; }, 15000)) << "no message box appeared";
    DWORD dwPid = 0;
    GetWindowThreadProcessId(hBox, &dwPid);
    EXPECT_EQ(L"Telvarin", TextOf(hBox));
    EXPECT_EQ(strGerman, MessageOf(hBox));

    PostMessageW(hBox, WM_COMMAND, IDOK, 0);
    const bool bEnded = WaitUntil([&] { return ImageOf(dwPid).empty(); }, 10000);
    EXPECT_TRUE(bEnded) << "the refused start did not end after the box closed";
    if (!bEnded)
        EndBoxProcess(hBox);
}
