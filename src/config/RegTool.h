// One open registry key with the full-then-read-only open fall-back.
#pragma once
#include <windows.h>

class CRegTool
{
public:
    CRegTool() = default;
    virtual ~CRegTool();
    CRegTool(const CRegTool&) = delete;
    CRegTool& operator=(const CRegTool&) = delete;

    // An opened key takes the place of the one held before, which is closed; a failed open
    // keeps it.
    LONG Open(HKEY _hRoot, const wchar_t* _pszSubKey);
    LONG OpenOrCreate(HKEY _hRoot, const wchar_t* _pszSubKey);
    LONG Close();
    int ReadStringValue(const wchar_t* _pszName, wchar_t* _pszBuffer, DWORD _cchBuffer, const wchar_t* _pszDefault);
    LONG WriteStringValue(const wchar_t* _pszName, const wchar_t* _pszText);
    int ReadDwordValue(const wchar_t* _pszName, DWORD* _pdwOut, DWORD _dwDefault);
    void UseNaturalView();
    void Use32BitView();
    HKEY GetKey() const { return m_hKey; }
    DWORD GetDisposition() const { return m_dwDisposition; }

protected:
    // Closes the key held and holds the new one.
    void TakeKey(HKEY _hKey);

    HKEY m_hRoot = nullptr;
    HKEY m_hKey = nullptr;
    DWORD m_dwDisposition = 0;
    DWORD m_dwViewFlags = 0;
};

// Reads a value of any open key: size first, cut to the byte limit, then the data.
// Writes at most _cbLimit bytes; a larger value fails with ERROR_MORE_DATA.
LONG ReadRawValue(HKEY _hKey, const wchar_t* _pszName, void* _pBuffer, DWORD _cbLimit);
// Sum of the three 32-bit values "RunningState", "RunningState32" and "RunningState64"
// of a key, opened in the 32-bit view; 0 when the key does not exist.
DWORD SumRunningStateValues(HKEY _hRoot, const wchar_t* _pszSubKey);
// The same sum of the maker's test marker key HKEY_LOCAL_MACHINE\SOFTWARE\ORVEX\TEST.
DWORD GetRunningState();
