// Helpers of the configuration tests: a temporary folder, unique names, raw INI reads and
// a window that collects the bus records posted to it.
#pragma once
#include <windows.h>
#include <string>

namespace cfgtest {

// A unique name for files and keys of one test (prefix, process id, counter).
std::wstring UniqueName(const std::wstring& _strPrefix);

// A folder under the temporary folder, removed with its content on destruction.
class CTempFolder
{
public:
    CTempFolder();
    ~CTempFolder();
    CTempFolder(const CTempFolder&) = delete;
    CTempFolder& operator=(const CTempFolder&) = delete;
    const std::wstring& Path() const { return m_strPath; }
    std::wstring Child(const std::wstring& _strName) const { return m_strPath + L"\\" + _strName; }
private:
    std::wstring m_strPath;
};

bool RemoveFolderTree(const std::wstring& _strPath);
// The text as the file stores it; "<missing>" when the key is not there.
std::wstring ReadRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey);
bool WriteRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey, const std::wstring& _strValue);
bool FileExists(const std::wstring& _strPath);
// True when the file begins with the UTF-16LE byte-order mark.
bool IsUnicodeFile(const std::wstring& _strPath);
// Replaces the key's access list by one that lets everyone read it and nothing else, so
// the system refuses every open for writing.
bool AllowOnlyReading(HKEY _hRoot, const std::wstring& _strSubKey);

// A message-only window standing in for the host's main window.
class CRecordSink
{
public:
    CRecordSink();
    ~CRecordSink();
    CRecordSink(const CRecordSink&) = delete;
    CRecordSink& operator=(const CRecordSink&) = delete;
    HWND Handle() const { return m_hWnd; }
    // Takes the next posted bus message of that type; false when none waits.
    bool TakeRecord(UINT _uType, std::wstring* _pstrRecord);
private:
    HWND m_hWnd = nullptr;
};

} // namespace cfgtest
