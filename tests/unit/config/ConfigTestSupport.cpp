#include "ConfigTestSupport.h"

#include "HostHarness.h"

#include <sddl.h>
#include <vector>

#include "bus/BusRecord.h"

namespace cfgtest {

std::wstring UniqueName(const std::wstring& _strPrefix)
{
    static LONG s_lCounter = 0;
    return _strPrefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(InterlockedIncrement(&s_lCounter));
}

CTempFolder::CTempFolder()
{
    wchar_t szTemp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, szTemp);
    // A folder left behind by an earlier process of the same id is never reused.
    do
        m_strPath = std::wstring(szTemp) + UniqueName(L"tvrcfg");
    while (!CreateDirectoryW(m_strPath.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
}

CTempFolder::~CTempFolder()
{
    RemoveFolderTree(m_strPath);
}

bool RemoveFolderTree(const std::wstring& _strPath)
{
    return tvr::RemoveTree(_strPath);
}

std::wstring ReadRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey)
{
    std::vector<wchar_t> vecBuffer(20000);
    GetPrivateProfileStringW(_strSection.c_str(), _strKey.c_str(), L"<missing>", vecBuffer.data(),
                             static_cast<DWORD>(vecBuffer.size()), _strFile.c_str());
    return vecBuffer.data();
}

bool WriteRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey, const std::wstring& _strValue)
{
    return WritePrivateProfileStringW(_strSection.c_str(), _strKey.c_str(), _strValue.c_str(), _strFile.c_str()) != FALSE;
}

bool FileExists(const std::wstring& _strPath)
{
    return GetFileAttributesW(_strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool IsUnicodeFile(const std::wstring& _strPath)
{
    HANDLE hFile = CreateFileW(_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    unsigned char abMark[2] = {0, 0};
    DWORD cbRead = 0;
    ReadFile(hFile, abMark, sizeof(abMark), &cbRead, nullptr);
    CloseHandle(hFile);
    return cbRead == 2 && abMark[0] == 0xFF && abMark[1] == 0xFE;
}

bool AllowOnlyReading(HKEY _hRoot, const std::wstring& _strSubKey)
{
    PSECURITY_DESCRIPTOR pSecurity = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;KR;;;WD)", SDDL_REVISION_1, &pSecurity, nullptr))
        return false;
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExW(_hRoot, _strSubKey.c_str(), 0, WRITE_DAC, &hKey);
    if (lResult == ERROR_SUCCESS)
    {
        lResult = RegSetKeySecurity(hKey, DACL_SECURITY_INFORMATION, pSecurity);
        RegCloseKey(hKey);
    }
    LocalFree(pSecurity);
    return lResult == ERROR_SUCCESS;
}

CRecordSink::CRecordSink()
{
    m_hWnd = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
}

CRecordSink::~CRecordSink()
{
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE))
        ReleaseBusBlock(msg.lParam);
    DestroyWindow(m_hWnd);
}

bool CRecordSink::TakeRecord(UINT _uType, std::wstring* _pstrRecord)
{
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, WM_QEL_BUS, WM_QEL_BUS, PM_REMOVE))
    {
        const bool bMatch = msg.wParam == _uType;
        if (bMatch)
            *_pstrRecord = RecordOfBlock(msg.lParam);
        ReleaseBusBlock(msg.lParam);
        if (bMatch)
            return true;
    }
    return false;
}

} // namespace cfgtest
