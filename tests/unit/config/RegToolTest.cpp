// One registry key: the open fall-back, reads with defaults and the size limit, and the
// sum of the test marker values.
#include <gtest/gtest.h>
#include <string>

#include "TestFiles.h"
#include "TestRegistry.h"
#include "config/RegTool.h"

using namespace tvr;

namespace {

class RegTool : public testing::Test
{
protected:
    void SetUp() override { m_strKey = L"SOFTWARE\\TelvarinTest\\" + UniqueName(L"Key"); }
    void TearDown() override
    {
        m_tool.Close();
        for (REGSAM samView : {REGSAM(0), REGSAM(KEY_WOW64_32KEY)})
            RegDeleteKeyExW(HKEY_CURRENT_USER, m_strKey.c_str(), samView, 0);
    }
    void SetString(const wchar_t* _pszName, const std::wstring& _strValue, size_t _cbValue)
    {
        RegSetValueExW(m_tool.GetKey(), _pszName, 0, REG_SZ, reinterpret_cast<const BYTE*>(_strValue.c_str()),
                       static_cast<DWORD>(_cbValue));
    }
    std::wstring m_strKey;
    CRegTool m_tool;
};

} // namespace

TEST_F(RegTool, OpenOrCreateCreatesThenOpens)
{
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_tool.Open(HKEY_CURRENT_USER, m_strKey.c_str()));
    EXPECT_EQ(nullptr, m_tool.GetKey());
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    EXPECT_EQ(static_cast<DWORD>(REG_CREATED_NEW_KEY), m_tool.GetDisposition());
    EXPECT_EQ(ERROR_SUCCESS, m_tool.WriteStringValue(L"Name", L"value"));
    EXPECT_EQ(ERROR_SUCCESS, m_tool.Close());
    EXPECT_EQ(nullptr, m_tool.GetKey());
    ASSERT_EQ(ERROR_SUCCESS, m_tool.Open(HKEY_CURRENT_USER, m_strKey.c_str()));
    wchar_t szValue[16];
    EXPECT_EQ(1, m_tool.ReadStringValue(L"Name", szValue, ARRAYSIZE(szValue), nullptr));
    EXPECT_STREQ(L"value", szValue);
}

TEST_F(RegTool, OpeningAnotherKeyClosesTheOneHeldAndAFailedOpenKeepsIt)
{
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    const HKEY hFirst = m_tool.GetKey();
    ASSERT_EQ(ERROR_SUCCESS, m_tool.Open(HKEY_CURRENT_USER, L"SOFTWARE"));
    EXPECT_NE(ERROR_SUCCESS, RegCloseKey(hFirst)) << "the first key was closed by the second open";
    const HKEY hSecond = m_tool.GetKey();
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, m_tool.Open(HKEY_CURRENT_USER, (m_strKey + L"\\missing").c_str()));
    EXPECT_EQ(hSecond, m_tool.GetKey());
    DWORD cSubKeys = 0;
    EXPECT_EQ(ERROR_SUCCESS, RegQueryInfoKeyW(hSecond, nullptr, nullptr, nullptr, &cSubKeys, nullptr, nullptr,
                                              nullptr, nullptr, nullptr, nullptr, nullptr));
}

TEST_F(RegTool, ReadOnlyFallBackOpensKeysThatRefuseFullAccess)
{
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    ASSERT_EQ(ERROR_SUCCESS, m_tool.WriteStringValue(L"Name", L"value"));
    m_tool.Close();
    // Everyone may read the key, nobody may write it: the system refuses full access.
    ASSERT_TRUE(AllowOnlyReading(HKEY_CURRENT_USER, m_strKey));
    HKEY hKey = nullptr;
    ASSERT_EQ(ERROR_ACCESS_DENIED, RegOpenKeyExW(HKEY_CURRENT_USER, m_strKey.c_str(), 0, KEY_ALL_ACCESS, &hKey));

    for (bool bCreate : {false, true})
    {
        const LONG lOpened = bCreate ? m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str())
                                     : m_tool.Open(HKEY_CURRENT_USER, m_strKey.c_str());
        ASSERT_EQ(ERROR_SUCCESS, lOpened) << bCreate;
        wchar_t szValue[16] = L"";
        EXPECT_EQ(1, m_tool.ReadStringValue(L"Name", szValue, ARRAYSIZE(szValue), nullptr)) << bCreate;
        EXPECT_STREQ(L"value", szValue);
        EXPECT_EQ(ERROR_ACCESS_DENIED, m_tool.WriteStringValue(L"Name", L"changed")) << bCreate;
        m_tool.Close();
    }
    ASSERT_EQ(ERROR_SUCCESS, m_tool.Open(HKEY_CURRENT_USER, m_strKey.c_str()));
    wchar_t szValue[16] = L"";
    m_tool.ReadStringValue(L"Name", szValue, ARRAYSIZE(szValue), nullptr);
    EXPECT_STREQ(L"value", szValue) << "the refused writes changed nothing";
}

TEST_F(RegTool, StringReadsGiveValueDefaultOrEmpty)
{
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    wchar_t szValue[511];
    m_tool.WriteStringValue(L"Empty", L"");
    EXPECT_EQ(1, m_tool.ReadStringValue(L"Empty", szValue, ARRAYSIZE(szValue), L"dflt"));
    EXPECT_STREQ(L"dflt", szValue);
    EXPECT_EQ(0, m_tool.ReadStringValue(L"Missing", szValue, ARRAYSIZE(szValue), L"dflt"));
    EXPECT_STREQ(L"dflt", szValue);
    EXPECT_EQ(0, m_tool.ReadStringValue(L"Missing", szValue, ARRAYSIZE(szValue), nullptr));
    EXPECT_STREQ(L"", szValue);
    // The buffer size is the byte limit: 600 bytes do not fit 511, 510 bytes do.
    SetString(L"Large", std::wstring(299, L'L'), 600);
    EXPECT_EQ(0, m_tool.ReadStringValue(L"Large", szValue, ARRAYSIZE(szValue), L"dflt"));
    EXPECT_STREQ(L"dflt", szValue);
    SetString(L"Fits", std::wstring(254, L'F'), 510);
    EXPECT_EQ(1, m_tool.ReadStringValue(L"Fits", szValue, ARRAYSIZE(szValue), nullptr));
    EXPECT_EQ(std::wstring(254, L'F'), szValue);
    // A default longer than the buffer is cut.
    wchar_t szSmall[4];
    m_tool.ReadStringValue(L"Missing", szSmall, ARRAYSIZE(szSmall), L"longer");
    EXPECT_STREQ(L"lon", szSmall);
}

TEST_F(RegTool, DwordReadsTakeAtMostFourBytes)
{
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    const DWORD dwStored = 0x12345678;
    RegSetValueExW(m_tool.GetKey(), L"Dword", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwStored), 4);
    DWORD dwValue = 0;
    EXPECT_EQ(1, m_tool.ReadDwordValue(L"Dword", &dwValue, 7));
    EXPECT_EQ(dwStored, dwValue);
    EXPECT_EQ(0, m_tool.ReadDwordValue(L"Missing", &dwValue, 7));
    EXPECT_EQ(7u, dwValue);
    SetString(L"Text", L"long text", 20);
    EXPECT_EQ(0, m_tool.ReadDwordValue(L"Text", &dwValue, 9));
    EXPECT_EQ(9u, dwValue);
}

TEST_F(RegTool, RawReadsNeverWritePastTheLimit)
{
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    SetString(L"Value", L"abcdefgh", 18);
    BYTE abBuffer[32];
    memset(abBuffer, 0xCC, sizeof(abBuffer));
    EXPECT_EQ(ERROR_MORE_DATA, ReadRawValue(m_tool.GetKey(), L"Value", abBuffer, 10));
    for (size_t i = 10; i < sizeof(abBuffer); ++i)
        EXPECT_EQ(0xCC, abBuffer[i]) << i;
    EXPECT_EQ(ERROR_SUCCESS, ReadRawValue(m_tool.GetKey(), L"Value", abBuffer, 18));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, ReadRawValue(m_tool.GetKey(), L"Missing", abBuffer, 18));
}

TEST_F(RegTool, RunningStateSumsTheThreeValuesOfThe32BitView)
{
    EXPECT_EQ(0u, SumRunningStateValues(HKEY_CURRENT_USER, m_strKey.c_str()));
    m_tool.Use32BitView();
    ASSERT_EQ(ERROR_SUCCESS, m_tool.OpenOrCreate(HKEY_CURRENT_USER, m_strKey.c_str()));
    EXPECT_EQ(0u, SumRunningStateValues(HKEY_CURRENT_USER, m_strKey.c_str()));
    const DWORD dwOne = 1;
    const DWORD dwFour = 4;
    RegSetValueExW(m_tool.GetKey(), L"RunningState64", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwOne), 4);
    EXPECT_EQ(1u, SumRunningStateValues(HKEY_CURRENT_USER, m_strKey.c_str()));
    RegSetValueExW(m_tool.GetKey(), L"RunningState", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwFour), 4);
    RegSetValueExW(m_tool.GetKey(), L"RunningState32", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dwFour), 4);
    EXPECT_EQ(9u, SumRunningStateValues(HKEY_CURRENT_USER, m_strKey.c_str()));
}
