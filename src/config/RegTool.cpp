#include "config/RegTool.h"

#include <strsafe.h>
#include <initializer_list>

namespace {

const wchar_t TEST_MARKER_KEY[] = L"SOFTWARE\\ORVEX\\TEST";
const DWORD VIEW_BITS = KEY_WOW64_32KEY | KEY_WOW64_64KEY;

}   // namespace

CRegTool::~CRegTool()
{
    Close();
}

LONG CRegTool::Open(HKEY _hRoot, const wchar_t* _pszSubKey)
{
    m_hRoot = _hRoot;
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExW(_hRoot, _pszSubKey, 0, KEY_ALL_ACCESS | m_dwViewFlags, &hKey);
    if (lResult != ERROR_SUCCESS)
        lResult = RegOpenKeyExW(_hRoot, _pszSubKey, 0, KEY_READ | m_dwViewFlags, &hKey);
    if (lResult == ERROR_SUCCESS)
        TakeKey(hKey);
    return lResult;
}

LONG CRegTool::OpenOrCreate(HKEY _hRoot, const wchar_t* _pszSubKey)
{
    m_hRoot = _hRoot;
    HKEY hKey = nullptr;
    LONG lResult = RegOpenKeyExW(_hRoot, _pszSubKey, 0, KEY_ALL_ACCESS | m_dwViewFlags, &hKey);
    if (lResult != ERROR_SUCCESS)
        lResult = RegCreateKeyExW(_hRoot, _pszSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS | m_dwViewFlags, nullptr, &hKey, &m_dwDisposition);
    if (lResult != ERROR_SUCCESS)
        lResult = RegOpenKeyExW(_hRoot, _pszSubKey, 0, KEY_READ | m_dwViewFlags, &hKey);
    if (lResult == ERROR_SUCCESS)
        TakeKey(hKey);
    return lResult;
}

void CRegTool::TakeKey(HKEY _hKey)
{
    Close();
    m_hKey = _hKey;
}

LONG CRegTool::Close()
{
    if (m_hKey == nullptr)
        return ERROR_SUCCESS;
    RegFlushKey(m_hKey);
    const LONG lResult = RegCloseKey(m_hKey);
    m_hKey = nullptr;
    return lResult;
}

int CRegTool::ReadStringValue(const wchar_t* _pszName, wchar_t* _pszBuffer, DWORD _cchBuffer,
                              const wchar_t* _pszDefault)
{
    if (_cchBuffer == 0)
        return 0;
    // Zeroed first: a stored text without terminator, or an odd byte count, stays terminated,
    // since the byte limit is at most half the buffer.
    SecureZeroMemory(_pszBuffer, _cchBuffer * sizeof(wchar_t));
    int iRead = 1;
    if (ReadRawValue(m_hKey, _pszName, _pszBuffer, _cchBuffer) != ERROR_SUCCESS)
    {
        iRead = 0;
        _pszBuffer[0] = 0;
    }
    _pszBuffer[_cchBuffer - 1] = 0;
    if (_pszBuffer[0] == 0 && _pszDefault != nullptr)
        StringCchCopyW(_pszBuffer, _cchBuffer, _pszDefault);
    return iRead;
}

LONG CRegTool::WriteStringValue(const wchar_t* _pszName, const wchar_t* _pszText)
{
    size_t cchText = 0;
    StringCchLengthW(_pszText, STRSAFE_MAX_CCH, &cchText);
    return RegSetValueExW(m_hKey, _pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(_pszText),
                          static_cast<DWORD>((cchText + 1) * sizeof(wchar_t)));
}

int CRegTool::ReadDwordValue(const wchar_t* _pszName, DWORD* _pdwOut, DWORD _dwDefault)
{
    DWORD dwValue = 0;
    DWORD cbValue = sizeof(dwValue);
    if (RegQueryValueExW(m_hKey, _pszName, nullptr, nullptr, reinterpret_cast<BYTE*>(&dwValue), &cbValue) !=
        ERROR_SUCCESS)
    {
        *_pdwOut = _dwDefault;
        return 0;
    }
    *_pdwOut = dwValue;
    return 1;
}

void CRegTool::UseNaturalView()
{
    m_dwViewFlags &= ~VIEW_BITS;
}

void CRegTool::Use32BitView()
{
    m_dwViewFlags = (m_dwViewFlags & ~VIEW_BITS) | KEY_WOW64_32KEY;
}

LONG ReadRawValue(HKEY _hKey, const wchar_t* _pszName, void* _pBuffer, DWORD _cbLimit)
{
    DWORD cbValue = 0;
    const LONG lResult = RegQueryValueExW(_hKey, _pszName, nullptr, nullptr, nullptr, &cbValue);
    if (lResult != ERROR_SUCCESS)
        return lResult;
    if (cbValue > _cbLimit)
        cbValue = _cbLimit;
    return RegQueryValueExW(_hKey, _pszName, nullptr, nullptr, static_cast<BYTE*>(_pBuffer), &cbValue);
}

DWORD SumRunningStateValues(HKEY _hRoot, const wchar_t* _pszSubKey)
{
    CRegTool key;
    key.Use32BitView();
    if (key.Open(_hRoot, _pszSubKey) != ERROR_SUCCESS)
        return 0;
    DWORD dwSum = 0;
    for (const wchar_t* pszName : {L"RunningState", L"RunningState32", L"RunningState64"})
    {
        DWORD dwValue = 0;
        key.ReadDwordValue(pszName, &dwValue, 0);
        dwSum += dwValue;
    }
    return dwSum;
}

DWORD GetRunningState()
{
    return SumRunningStateValues(HKEY_LOCAL_MACHINE, TEST_MARKER_KEY);
}
