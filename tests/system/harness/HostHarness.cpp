#include "HostHarness.h"

#include <shlobj.h>
#include <algorithm>
#include <cstdio>
#include <cwctype>

#include "TelvarinPlugin.h"

namespace tvr {

static bool CopyTree(const std::wstring& _strFrom, const std::wstring& _strTo)
{
    CreateDirectoryW(_strTo.c_str(), nullptr);
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((_strFrom + L"\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return false;
    bool bOk = true;
    do
    {
        const std::wstring strName = data.cFileName;
        if (strName == L"." || strName == L"..")
            continue;
        const std::wstring strSource = _strFrom + L"\\" + strName;
        const std::wstring strTarget = _strTo + L"\\" + strName;
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            bOk = CopyTree(strSource, strTarget) && bOk;
        else if (!CopyFileW(strSource.c_str(), strTarget.c_str(), FALSE))
        {
            // Said here, since the test only sees the program fail to start later.
            std::fwprintf(stderr, L"copy of %ls failed: error %lu\n", strSource.c_str(), GetLastError());
            bOk = false;
        }
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    return bOk;
}

CInstallFolder::CInstallFolder()
{
    CopyTree(TVR_DIST_DIR, m_Folder.Path());
    DeleteFileW(Child(HelpFileName(ExePath())).c_str());
}

bool CInstallFolder::AddHelpFile() const
{
    const std::wstring strName = HelpFileName(ExePath());
    return CopyFileW((std::wstring(TVR_DIST_DIR) + L"\\" + strName).c_str(), Child(strName).c_str(), FALSE) != FALSE;
}

bool CInstallFolder::AddPlugin(const std::wstring& _strCategory, const std::wstring& _strBuiltName,
                               const std::wstring& _strAsName) const
{
    const std::wstring strFolder = Child(_strCategory);
    CreateDirectoryW(strFolder.c_str(), nullptr);
    const std::wstring strSource = std::wstring(TVR_TEST_PLUGINS_DIR) + L"\\" + _strBuiltName;
    return CopyFileW(strSource.c_str(), (strFolder + L"\\" + _strAsName).c_str(), FALSE) != FALSE;
}

bool CInstallFolder::WriteTextFile(const std::wstring& _strRelative, const std::string& _strContent) const
{
    HANDLE hFile = CreateFileW(Child(_strRelative).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwWritten = 0;
    const BOOL bOk = WriteFile(hFile, _strContent.data(), static_cast<DWORD>(_strContent.size()), &dwWritten, nullptr);
    CloseHandle(hFile);
    return bOk && dwWritten == _strContent.size();
}

// Environment block of this process with the overrides applied (names compared without case).
static std::wstring BuildEnvironment(const std::map<std::wstring, std::wstring>& _mapOverrides)
{
    auto upper = [](std::wstring s) {
        std::transform(s.begin(), s.end(), s.begin(), [](wchar_t c) { return static_cast<wchar_t>(std::towupper(c)); });
        return s;
    };
    std::map<std::wstring, std::pair<std::wstring, std::wstring>> mapVars;   // upper name -> (name, value)
    wchar_t* pszBlock = GetEnvironmentStringsW();
    for (const wchar_t* p = pszBlock; *p; p += wcslen(p) + 1)
    {
        const std::wstring strEntry = p;
        const size_t nEquals = strEntry.find(L'=', 1);
        if (nEquals == std::wstring::npos)
            continue;
        const std::wstring strName = strEntry.substr(0, nEquals);
        mapVars[upper(strName)] = {strName, strEntry.substr(nEquals + 1)};
    }
    FreeEnvironmentStringsW(pszBlock);
    for (const auto& entry : _mapOverrides)
    {
        if (entry.second.empty())
            mapVars.erase(upper(entry.first));
        else
            mapVars[upper(entry.first)] = {entry.first, entry.second};
    }
    std::wstring strResult;
    for (const auto& entry : mapVars)
    {
        strResult += entry.second.first + L"=" + entry.second.second;
        strResult.push_back(L'\0');
    }
    strResult.push_back(L'\0');
    return strResult;
}

CHostProcess::~CHostProcess()
{
    Kill();
}

bool CHostProcess::Start(const std::wstring& _strExe, const std::wstring& _strArgs,
                         const std::map<std::wstring, std::wstring>& _mapEnvironment)
{
    std::wstring strCommand = L"\"" + _strExe + L"\"";
    if (!_strArgs.empty())
        strCommand += L" " + _strArgs;
    std::wstring strEnvironment = BuildEnvironment(_mapEnvironment);
    const std::wstring strFolder = _strExe.substr(0, _strExe.find_last_of(L'\\'));
    STARTUPINFOW si = {};
    si.cb = sizeof(si);
    PROCESS_INFORMATION pi = {};
    // Wine on a loaded machine has refused a start once without a reason the test could show;
    // each refusal is said, and a start is tried a few times before the test fails on it.
    const int START_ATTEMPTS = 3;
    BOOL bStarted = FALSE;
    for (int iAttempt = 0; iAttempt < START_ATTEMPTS && !bStarted; ++iAttempt)
    {
        bStarted = CreateProcessW(_strExe.c_str(), &strCommand[0], nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                                  &strEnvironment[0], strFolder.c_str(), &si, &pi);
        if (!bStarted)
            std::fwprintf(stderr, L"start of %ls failed: error %lu\n", _strExe.c_str(), GetLastError());
    }
    if (!bStarted)
        return false;
    CloseHandle(pi.hThread);
    m_hProcess = pi.hProcess;
    m_dwPid = pi.dwProcessId;
    return true;
}

namespace {

struct WindowSearch
{
    DWORD dwPid;
    HWND hFound;
};

BOOL CALLBACK MatchHostWindow(HWND _hWnd, LPARAM _lParam)
{
    auto* pSearch = reinterpret_cast<WindowSearch*>(_lParam);
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (dwPid == pSearch->dwPid && GetWindowLongPtrW(_hWnd, GWLP_USERDATA) == static_cast<LONG_PTR>(HOST_WINDOW_ID))
    {
        pSearch->hFound = _hWnd;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindHostWindowOfProcess(DWORD _dwPid)
{
    WindowSearch search = {_dwPid, nullptr};
    EnumWindows(MatchHostWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

HWND FindProcessWindow(DWORD _dwPid, const wchar_t* _pszClass)
{
    HWND hWnd = nullptr;
    while ((hWnd = FindWindowExW(nullptr, hWnd, _pszClass, nullptr)) != nullptr)
    {
        DWORD dwPid = 0;
        GetWindowThreadProcessId(hWnd, &dwPid);
        if (dwPid == _dwPid && IsWindowVisible(hWnd))
            return hWnd;
    }
    return nullptr;
}

HWND CHostProcess::WaitForWindow(DWORD _dwTimeoutMs) const
{
    HWND hWnd = nullptr;
    WaitUntil([&] { hWnd = FindHostWindowOfProcess(m_dwPid); return hWnd != nullptr || !IsRunning(); }, _dwTimeoutMs);
    return hWnd;
}

bool CHostProcess::WaitForExit(DWORD _dwTimeoutMs, DWORD* _pdwExitCode)
{
    if (m_hProcess == nullptr || WaitForSingleObject(m_hProcess, _dwTimeoutMs) != WAIT_OBJECT_0)
        return false;
    if (_pdwExitCode)
        GetExitCodeProcess(m_hProcess, _pdwExitCode);
    return true;
}

bool CHostProcess::IsRunning() const
{
    return m_hProcess != nullptr && WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT;
}

void CHostProcess::Kill()
{
    if (m_hProcess == nullptr)
        return;
    if (IsRunning())
    {
        TerminateProcess(m_hProcess, 99);
        WaitForSingleObject(m_hProcess, 5000);
    }
    CloseHandle(m_hProcess);
    m_hProcess = nullptr;
}

std::wstring MakeRecord(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields)
{
    std::wstring strRecord = L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\r\n<data>\r\n";
    strRecord += L" <value keyword=\"Type\">" + std::to_wstring(_uType) + L"</value>\r\n";
    for (const auto& field : _vecFields)
        strRecord += L" <value keyword=\"" + field.first + L"\">" + field.second + L"</value>\r\n";
    strRecord += L" <value keyword=\"Sender\">Unknown</value>\r\n</data>\r\n";
    return strRecord;
}

LRESULT SendRecordText(HWND _hWnd, const std::wstring& _strText, WPARAM _wParam)
{
    DWORD_PTR dwResult = 0;
    SendMessageTimeoutW(_hWnd, WM_SETTEXT, _wParam, reinterpret_cast<LPARAM>(_strText.c_str()), SMTO_NORMAL, 10000,
                        &dwResult);
    return static_cast<LRESULT>(dwResult);
}

std::wstring ReadIniValue(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey)
{
    std::wstring strBuffer(8192, L'\0');
    const DWORD dwLength = GetPrivateProfileStringW(_strSection.c_str(), _strKey.c_str(), L"", &strBuffer[0],
                                                    static_cast<DWORD>(strBuffer.size()), _strFile.c_str());
    strBuffer.resize(dwLength);
    return strBuffer;
}

bool ReadRegistryString(HKEY _hRoot, const std::wstring& _strSubKey, const std::wstring& _strName, std::wstring* _pstrValue)
{
    wchar_t szBuffer[4096];
    DWORD cbBuffer = sizeof(szBuffer) - sizeof(wchar_t);
    if (RegGetValueW(_hRoot, _strSubKey.c_str(), _strName.c_str(), RRF_RT_REG_SZ | RRF_RT_REG_EXPAND_SZ | RRF_NOEXPAND,
                     nullptr, szBuffer, &cbBuffer) != ERROR_SUCCESS)
        return false;
    *_pstrValue = szBuffer;
    return true;
}

bool ReadRegistryDword(HKEY _hRoot, const std::wstring& _strSubKey, const std::wstring& _strName, DWORD* _pdwValue)
{
    DWORD cbValue = sizeof(DWORD);
    return RegGetValueW(_hRoot, _strSubKey.c_str(), _strName.c_str(), RRF_RT_REG_DWORD, nullptr, _pdwValue,
                        &cbValue) == ERROR_SUCCESS;
}

std::string ReadFileBytes(const std::wstring& _strPath)
{
    HANDLE hFile = CreateFileW(_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return std::string();
    std::string strData;
    char buffer[65536];
    DWORD dwRead = 0;
    while (ReadFile(hFile, buffer, sizeof(buffer), &dwRead, nullptr) && dwRead > 0)
        strData.append(buffer, dwRead);
    CloseHandle(hFile);
    return strData;
}

std::wstring UserDataFolder(const std::wstring& _strSub)
{
    wchar_t szAppData[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szAppData);
    return std::wstring(szAppData) + L"\\orvex\\Telvarin\\TelvarinHost\\" + _strSub;
}

std::wstring Utf8ToWide(const std::string& _str)
{
    if (_str.empty())
        return std::wstring();
    std::wstring strResult(MultiByteToWideChar(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), nullptr, 0), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), &strResult[0], static_cast<int>(strResult.size()));
    return strResult;
}

std::string WideToUtf8(const std::wstring& _str)
{
    if (_str.empty())
        return std::string();
    std::string strResult(WideCharToMultiByte(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), nullptr, 0, nullptr, nullptr), '\0');
    WideCharToMultiByte(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), &strResult[0], static_cast<int>(strResult.size()), nullptr, nullptr);
    return strResult;
}

} // namespace tvr
