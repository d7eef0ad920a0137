// What the store is given is what it gives back, in an INI file and in the registry alike:
// blanks, quotes, every character, long values and texts that look like the hex form. A
// value that cannot be kept whole is refused and the stored value stays as it was.
#include <gtest/gtest.h>
#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "config/RegIniAccess.h"

using namespace tvr;

namespace {

const wchar_t SECTION[] = L"General";

enum class EPlace { INI, REGISTRY };

class ConfigRoundTrip : public testing::TestWithParam<EPlace>
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"QelConfig", nullptr);
        const std::wstring strModule = UniqueName(L"Trip");
        m_strProgramName = UniqueName(L"TripProg");
        if (GetParam() == EPlace::REGISTRY)
        {
            HKEY hMarker = nullptr;
            ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, MarkerKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                                     nullptr, &hMarker, nullptr));
            RegCloseKey(hMarker);
        }
        m_store.InitForFiles(1, m_folder.Child(strModule + L".dll").c_str(), m_folder.Child(m_strProgramName + L".exe").c_str());
        ASSERT_EQ(GetParam() == EPlace::REGISTRY, m_store.UsesRegistry());
    }
    void TearDown() override
    {
        if (m_store.GetUserIni()[0] != 0)
            DeleteFileW(m_store.GetUserIni());
        RegDeleteTreeW(HKEY_CURRENT_USER, MarkerKey().c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, MarkerKey().c_str());
    }
    std::wstring MarkerKey() const { return L"SOFTWARE\\orvex\\" + m_strProgramName; }
    int Write(const wchar_t* _pszKey, const std::wstring& _strValue)
    {
        return m_store.WriteString(SECTION, _pszKey, _strValue.c_str());
    }
    std::wstring Read(const wchar_t* _pszKey, int _bUnescape = 0) { return m_store.ReadString(SECTION, _pszKey, _bUnescape); }
    // The text as it is kept: the registry value, or the file's value as the profile
    // functions give it.
    std::wstring Stored(const wchar_t* _pszKey) const
    {
        if (GetParam() == EPlace::INI)
            return ReadRawIni(m_store.GetUserIni(), SECTION, _pszKey);
        std::wstring strValue(8200, L'\0');
        DWORD cbValue = static_cast<DWORD>(strValue.size() * sizeof(wchar_t));
        const std::wstring strKey = std::wstring(m_store.GetRegKey()) + L"\\" + SECTION;
        if (RegGetValueW(HKEY_CURRENT_USER, strKey.c_str(), _pszKey, RRF_RT_REG_SZ, nullptr, &strValue[0], &cbValue) != ERROR_SUCCESS)
            return L"<missing>";
        return strValue.c_str();
    }
    void ExpectRoundTrip(const wchar_t* _pszKey, const std::wstring& _strValue, int _bUnescape = 0)
    {
        EXPECT_EQ(1, Write(_pszKey, _strValue)) << "[" << testing::PrintToString(_strValue) << "]";
        EXPECT_EQ(_strValue, Read(_pszKey, _bUnescape)) << "[" << testing::PrintToString(_strValue) << "]";
    }
    void ExpectRefusedAndKept(const wchar_t* _pszKey, const std::wstring& _strValue)
    {
        ASSERT_EQ(1, Write(_pszKey, L"before"));
        EXPECT_EQ(0, Write(_pszKey, _strValue)) << _strValue.size() << " characters";
        EXPECT_EQ(L"before", Read(_pszKey)) << _strValue.size() << " characters";
    }

    CTempFolder m_folder;
    CRegIniAccess m_store;
    std::wstring m_strProgramName;
};

} // namespace

INSTANTIATE_TEST_SUITE_P(Place, ConfigRoundTrip, testing::Values(EPlace::INI, EPlace::REGISTRY),
                         [](const testing::TestParamInfo<EPlace>& _info) {
                             return _info.param == EPlace::INI ? std::string("Ini") : std::string("Registry");
                         });

TEST_P(ConfigRoundTrip, BlanksAndQuotesAreKept)
{
    for (const wchar_t* pszValue : {L"  padded  ", L" lead", L"trail ", L"\"quoted\"", L"\"  quoted  \"", L"'single'",
                                    L"\"open", L"close'", L"\"", L"\"\"", L" ", L"tab\t", L"in \"the\" middle", L""})
        ExpectRoundTrip(L"Key", pszValue, 1);
    // A long value whose blanks need the enclosing quotes still fits.
    ExpectRoundTrip(L"Long", L" " + std::wstring(8188, L'b') + L" ");
}

TEST_P(ConfigRoundTrip, EveryCharacterUpTo255IsKept)
{
    std::wstring strAll;
    for (wchar_t ch = 0x20; ch <= 0xFF; ++ch)
        strAll += ch;
    ExpectRoundTrip(L"All", strAll);
    ExpectRoundTrip(L"Controls", L"\u0080\u009F");
    ExpectRoundTrip(L"Latin", L"caf\u00E9 \u00FF");
    // Such text needs no hexadecimal form.
    EXPECT_EQ(L"caf\u00E9 \u00FF", Stored(L"Latin"));
    if (GetParam() == EPlace::INI)
    {
        EXPECT_TRUE(IsUnicodeFile(m_store.GetUserIni())) << "a new file is written in UTF-16";
    }
}

TEST_P(ConfigRoundTrip, TextAbove255IsKeptWholeOrRefused)
{
    const std::wstring strFits = std::wstring(254, L'x') + L"\u20AC";
    ExpectRoundTrip(L"Fits", strFits);
    EXPECT_EQ(L"#UNI#", Stored(L"Fits").substr(0, 5));
    ExpectRoundTrip(L"Pair", std::wstring(253, L'x') + L"\U0001F4DE");
    ExpectRefusedAndKept(L"TooLong", std::wstring(255, L'x') + L"\u20AC");
    ExpectRefusedAndKept(L"PairTooLong", std::wstring(254, L'x') + L"\U0001F4DE");
}

TEST_P(ConfigRoundTrip, LongValuesReadBackWholeOrAreRefused)
{
    for (size_t cch : {4094u, 4095u, 6000u, 8190u})
        ExpectRoundTrip(L"Long", std::wstring(cch, L'v'));
    ExpectRefusedAndKept(L"TooLong", std::wstring(8191, L'w'));
    // The escapes count: 4095 tabs are stored in 8190 characters, 4096 tabs do not fit.
    ExpectRoundTrip(L"Tabs", std::wstring(4095, L'\t'), 1);
    ExpectRefusedAndKept(L"TooManyTabs", std::wstring(4096, L'\t'));
    // A formatted text cut by its bound is refused as well.
    EXPECT_EQ(1, m_store.WriteFormat(SECTION, L"Format", L"%s%d", std::wstring(8189, L'f').c_str(), 7));
    EXPECT_EQ(std::wstring(8189, L'f') + L"7", Read(L"Format"));
    EXPECT_EQ(0, m_store.WriteFormat(SECTION, L"Format", L"%s%d", std::wstring(8189, L'g').c_str(), 42));
    EXPECT_EQ(std::wstring(8189, L'f') + L"7", Read(L"Format"));
}

TEST_P(ConfigRoundTrip, TextThatBeginsWithTheMarkerIsKept)
{
    for (const wchar_t* pszValue : {L"#UNI#41", L"#UNI#", L"#UNI#AC20 and more", L"#UNI#\u20AC"})
    {
        ExpectRoundTrip(L"Marker", pszValue);
        EXPECT_EQ(L"#UNI#23005500", Stored(L"Marker").substr(0, 13)) << "kept in the hexadecimal form";
    }
    ExpectRefusedAndKept(L"MarkerTooLong", L"#UNI#" + std::wstring(251, L'x'));
}

TEST_P(ConfigRoundTrip, HexFormsStoredEarlierStayReadable)
{
    ASSERT_EQ(1, Write(L"Seed", L"x"));   // creates the file or the key
    if (GetParam() == EPlace::INI)
    {
        WriteRawIni(m_store.GetUserIni(), SECTION, L"Old", L"#UNI#4100AC20");
    }
    else
    {
        const std::wstring strKey = std::wstring(m_store.GetRegKey()) + L"\\" + SECTION;
        const wchar_t szOld[] = L"#UNI#4100AC20";
        ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, strKey.c_str(), L"Old", REG_SZ, szOld, sizeof(szOld)));
    }
    EXPECT_EQ(L"A\u20AC", Read(L"Old"));
}
