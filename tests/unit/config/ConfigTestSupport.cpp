#include "ConfigTestSupport.h"

#include "HostHarness.h"

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
    m_strPath = std::wstring(szTemp) + UniqueName(L"tvrcfg");
    CreateDirectoryW(m_strPath.c_str(), nullptr);
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
