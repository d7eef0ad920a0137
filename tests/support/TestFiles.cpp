#include "TestFiles.h"

#include <algorithm>
#include <vector>

#include "config/VersionTool.h"

namespace tvr {

std::wstring UniqueName(const std::wstring& _strPrefix)
{
    static LONG s_lCounter = 0;
    return _strPrefix + std::to_wstring(GetCurrentProcessId()) + L"_" + std::to_wstring(InterlockedIncrement(&s_lCounter));
}

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    const std::wstring strPath = szPath;
    return strPath.substr(0, strPath.find_last_of(L'\\'));
}

std::wstring HelpFileName(const std::wstring& _strProgram)
{
    std::wstring strName = CVersionTool(_strProgram.c_str()).GetProductName();
    strName.erase(std::remove(strName.begin(), strName.end(), L' '), strName.end());
    strName += L".CHM";
    CharUpperW(&strName[0]);
    return strName;
}

bool RemoveTree(const std::wstring& _strPath)
{
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((_strPath + L"\\*").c_str(), &data);
    if (hFind != INVALID_HANDLE_VALUE)
    {
        do
        {
            const std::wstring strName = data.cFileName;
            if (strName == L"." || strName == L"..")
                continue;
            const std::wstring strChild = _strPath + L"\\" + strName;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(strChild);
            else
            {
                SetFileAttributesW(strChild.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(strChild.c_str());
            }
        } while (FindNextFileW(hFind, &data));
        FindClose(hFind);
    }
    RemoveDirectoryW(_strPath.c_str());
    return GetFileAttributesW(_strPath.c_str()) == INVALID_FILE_ATTRIBUTES;
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

std::wstring DailyTraceFileName(int _iDays)
{
    SYSTEMTIME st;
    GetSystemTime(&st);
    FILETIME ft;
    SystemTimeToFileTime(&st, &ft);
    ULARGE_INTEGER ul;
    ul.LowPart = ft.dwLowDateTime;
    ul.HighPart = ft.dwHighDateTime;
    ul.QuadPart += static_cast<ULONGLONG>(static_cast<LONGLONG>(_iDays) * 864000000000LL);
    ft.dwLowDateTime = ul.LowPart;
    ft.dwHighDateTime = ul.HighPart;
    FileTimeToSystemTime(&ft, &st);
    wchar_t szName[64];
    wsprintfW(szName, L"Trace_%04u-%02u-%02u.log", st.wYear, st.wMonth, st.wDay);
    return szName;
}

} // namespace tvr
