#include "DailyLog.h"

#include <shlobj.h>
#ifndef STRSAFE_NO_DEPRECATE
#define STRSAFE_NO_DEPRECATE   // keep the C++ runtime headers usable after this one
#endif
#include <strsafe.h>
#include <vector>

bool CDailyLog::OpenFor(const SYSTEMTIME& _stNow)
{
    if (m_hFile != INVALID_HANDLE_VALUE && _stNow.wYear == m_wYear && _stNow.wMonth == m_wMonth && _stNow.wDay == m_wDay)
        return true;
    Close();
    SHCreateDirectoryExW(nullptr, m_strFolder.c_str(), nullptr);
    wchar_t szName[64];
    StringCchPrintfW(szName, ARRAYSIZE(szName), L"\\Trace_%04u-%02u-%02u.log", _stNow.wYear, _stNow.wMonth, _stNow.wDay);
    // Shared for reading and writing, so that a viewer can follow the file while it grows.
    m_hFile = CreateFileW((m_strFolder + szName).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    m_wYear = _stNow.wYear;
    m_wMonth = _stNow.wMonth;
    m_wDay = _stNow.wDay;
    return m_hFile != INVALID_HANDLE_VALUE;
}

void CDailyLog::WriteLine(const wchar_t* _pszLine)
{
    SYSTEMTIME stNow;
    GetSystemTime(&stNow);
    if (!OpenFor(stNow))
        return;
    const std::wstring strLine = std::wstring(_pszLine) + L"\r\n";
    const int cbUtf8 = WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()), nullptr, 0, nullptr, nullptr);
    std::vector<char> vecUtf8(static_cast<size_t>(cbUtf8));
    WideCharToMultiByte(CP_UTF8, 0, strLine.data(), static_cast<int>(strLine.size()), vecUtf8.data(), cbUtf8, nullptr, nullptr);
    DWORD dwWritten = 0;
    WriteFile(m_hFile, vecUtf8.data(), static_cast<DWORD>(vecUtf8.size()), &dwWritten, nullptr);
}

void CDailyLog::Close()
{
    if (m_hFile != INVALID_HANDLE_VALUE)
        CloseHandle(m_hFile);
    m_hFile = INVALID_HANDLE_VALUE;
}
