// The telephony dialling location of the start-up report.
#include "host/StartupReport.h"

#include "config/RegTool.h"
#include "base/TextAppend.h"

namespace {

const wchar_t LOCATIONS_KEY[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";
const size_t LOCATION_TEXT_CHARS = 256;
// Values are read whole up to this size, so that a long one is cut by the text, not dropped.
const size_t LOCATION_VALUE_CHARS = 1024;

// Registry key closed when it goes out of scope.
class CScopedKey
{
public:
    CScopedKey(HKEY _hRoot, const wchar_t* _pszSubKey, REGSAM _samAccess)
    {
        if (RegOpenKeyExW(_hRoot, _pszSubKey, 0, _samAccess, &m_hKey) != ERROR_SUCCESS)
            m_hKey = nullptr;
    }
    ~CScopedKey()
    {
        if (m_hKey)
            RegCloseKey(m_hKey);
    }
    CScopedKey(const CScopedKey&) = delete;
    CScopedKey& operator=(const CScopedKey&) = delete;
    HKEY Get() const { return m_hKey; }
private:
    HKEY m_hKey = nullptr;
};

DWORD ReadDword(HKEY _hKey, const wchar_t* _pszName)
{
    DWORD dwValue = 0;
    ReadRawValue(_hKey, _pszName, &dwValue, sizeof(dwValue));
    return dwValue;
}

void AppendString(HKEY _hKey, const wchar_t* _pszName, wchar_t* _pszOut, size_t _cchOut)
{
    wchar_t szValue[LOCATION_VALUE_CHARS] = L"";
    // One character short of the buffer, so the value stays terminated however it was stored.
    ReadRawValue(_hKey, _pszName, szValue, sizeof(szValue) - sizeof(wchar_t));
    AppendFormat(_pszOut, _cchOut, L"%s;", szValue);
}

} // namespace

bool ReadDialingLocation(HKEY _hRoot, wchar_t* _pszOut, size_t _cchOut, DWORD* _pdwCurrentId)
{
    _pszOut[0] = 0;
    *_pdwCurrentId = 0;
    {
        const CScopedKey locations(_hRoot, LOCATIONS_KEY, KEY_READ);
        if (locations.Get())
            *_pdwCurrentId = ReadDword(locations.Get(), L"CurrentID");
    }
    wchar_t szSubKey[512];
    StringCchPrintfW(szSubKey, ARRAYSIZE(szSubKey), L"%s\\Location%d", LOCATIONS_KEY, *_pdwCurrentId);
    const CScopedKey location(_hRoot, szSubKey, KEY_READ | KEY_WOW64_64KEY);
    if (!location.Get())
        return false;

    const size_t cchText = _cchOut < LOCATION_TEXT_CHARS ? _cchOut : LOCATION_TEXT_CHARS;
    AppendFormat(_pszOut, cchText, L"%d;", *_pdwCurrentId);
    AppendFormat(_pszOut, cchText, L"%d;", ReadDword(location.Get(), L"Country"));
    AppendFormat(_pszOut, cchText, L"%d;", ReadDword(location.Get(), L"Flags"));
    static const wchar_t* const s_apszStrings[] = {L"AreaCode", L"DisableCallWaiting", L"InternationalCarrierCode",
                                                   L"LongDistanceAccess", L"LongDistanceCarrierCode", L"Name",
                                                   L"OutsideAccess"};
    for (const wchar_t* pszName : s_apszStrings)
        AppendString(location.Get(), pszName, _pszOut, cchText);
    return true;
}
