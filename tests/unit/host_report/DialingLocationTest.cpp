#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "host/report/StartupReport.h"

namespace {

const wchar_t TEST_ROOT[] = L"Software\\TelvarinWindowTest";
const wchar_t LOCATIONS[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations";

// A private registry tree under HKCU standing in for HKEY_LOCAL_MACHINE.
class DialingLocation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        RegDeleteTreeW(HKEY_CURRENT_USER, TEST_ROOT);
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, TEST_ROOT, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                                 &m_hRoot, nullptr));
    }
    void TearDown() override
    {
        RegCloseKey(m_hRoot);
        RegDeleteTreeW(HKEY_CURRENT_USER, TEST_ROOT);
    }
    HKEY CreateKey(const std::wstring& _strPath)
    {
        HKEY hKey = nullptr;
        RegCreateKeyExW(m_hRoot, _strPath.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &hKey, nullptr);
        return hKey;
    }
    static void SetDword(HKEY _hKey, const wchar_t* _pszName, DWORD _dwValue)
    {
        RegSetValueExW(_hKey, _pszName, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&_dwValue), sizeof(_dwValue));
    }
    static void SetString(HKEY _hKey, const wchar_t* _pszName, const std::wstring& _strValue)
    {
        RegSetValueExW(_hKey, _pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(_strValue.c_str()),
                       static_cast<DWORD>((_strValue.size() + 1) * sizeof(wchar_t)));
    }
    HKEY m_hRoot = nullptr;
};

} // namespace

TEST_F(DialingLocation, CurrentLocationFieldsInTheirOrder)
{
    HKEY hLocations = CreateKey(LOCATIONS);
    SetDword(hLocations, L"CurrentID", 3);
    HKEY hLocation = CreateKey(std::wstring(LOCATIONS) + L"\\Location3");
    SetDword(hLocation, L"Country", 49);
    SetDword(hLocation, L"Flags", 5);
    SetString(hLocation, L"AreaCode", L"030");
    SetString(hLocation, L"LongDistanceAccess", L"0");
    SetString(hLocation, L"Name", L"Office");
    SetString(hLocation, L"OutsideAccess", L"9");
    RegCloseKey(hLocation);
    RegCloseKey(hLocations);

    wchar_t szText[256];
    DWORD dwId = 0;
    ASSERT_TRUE(ReadDialingLocation(m_hRoot, szText, 256, &dwId));
    EXPECT_EQ(3u, dwId);
    EXPECT_EQ(std::wstring(L"3;49;5;030;;;0;;Office;9;"), szText);
}

TEST_F(DialingLocation, MissingLocationKeyReportsTheCurrentId)
{
    HKEY hLocations = CreateKey(LOCATIONS);
    SetDword(hLocations, L"CurrentID", 7);
    RegCloseKey(hLocations);
    wchar_t szText[256] = L"x";
    DWORD dwId = 0;
    EXPECT_FALSE(ReadDialingLocation(m_hRoot, szText, 256, &dwId));
    EXPECT_EQ(7u, dwId);
    EXPECT_EQ(std::wstring(L""), szText);

    RegDeleteTreeW(m_hRoot, L"SOFTWARE");
    EXPECT_FALSE(ReadDialingLocation(m_hRoot, szText, 256, &dwId));
    EXPECT_EQ(0u, dwId);
}

TEST_F(DialingLocation, LongValuesAreCutTo255Characters)
{
    HKEY hLocation = CreateKey(std::wstring(LOCATIONS) + L"\\Location0");
    SetString(hLocation, L"AreaCode", std::wstring(200, L'a'));
    SetString(hLocation, L"Name", std::wstring(300, L'n'));
    RegCloseKey(hLocation);
    wchar_t szText[512];
    DWORD dwId = 1;
    ASSERT_TRUE(ReadDialingLocation(m_hRoot, szText, 512, &dwId));
    const std::wstring strText = szText;
    EXPECT_EQ(255u, strText.size());
    EXPECT_EQ(0u, strText.find(L"0;0;0;" + std::wstring(200, L'a') + L";;;;;"));
}
