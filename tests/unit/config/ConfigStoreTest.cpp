// The configuration store against real INI files and the registry: where values go,
// in which order files are read, and what a failed write reports.
#include <gtest/gtest.h>
#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "config/RegIniAccess.h"

using namespace tvr;

namespace {

const wchar_t SECTION[] = L"General";

// A store for a module and program file of a temporary folder, with names of its own,
// so the per-user file and the registry key belong to this test alone.
class ConfigStore : public testing::Test
{
protected:
    void SetUp() override
    {
        SetEnvironmentVariableW(L"QelConfig", nullptr);
        m_strModuleName = UniqueName(L"Mod");
        m_strProgramName = UniqueName(L"Prog");
        m_strModuleFile = m_folder.Child(m_strModuleName + L".dll");
    }
    void TearDown() override
    {
        SetEnvironmentVariableW(L"QelConfig", nullptr);
        if (m_store.GetUserIni()[0] != 0)
        {
            DeleteFileW(m_store.GetUserIni());
            RemoveDirectoryW(m_store.GetUserIni());
        }
        RegDeleteTreeW(HKEY_CURRENT_USER, (L"SOFTWARE\\orvex\\" + m_strProgramName).c_str());
        RegDeleteKeyW(HKEY_CURRENT_USER, (L"SOFTWARE\\orvex\\" + m_strProgramName).c_str());
    }
    void Init()
    {
        m_store.InitForFiles(1, m_strModuleFile.c_str(), m_folder.Child(m_strProgramName + L".exe").c_str());
    }
    std::wstring Read(const wchar_t* _pszKey, int _bUnescape = 0)
    {
        return m_store.ReadString(SECTION, _pszKey, _bUnescape);
    }
    std::wstring UserIni() const { return m_store.GetUserIni(); }
    std::wstring ModuleIni() const { return m_store.GetModuleIni(); }

    CTempFolder m_folder;
    CRegIniAccess m_store;
    std::wstring m_strModuleName;
    std::wstring m_strProgramName;
    std::wstring m_strModuleFile;
};

} // namespace

TEST_F(ConfigStore, FileNamesAndRegistryKeyFollowModuleAndProgram)
{
    Init();
    EXPECT_EQ(m_folder.Child(m_strModuleName + L".INI"), ModuleIni());
    EXPECT_EQ(m_folder.Child(m_strProgramName + L".INI"), std::wstring(m_store.GetProgramIni()));
    EXPECT_EQ(std::wstring(GetConfigFolder()) + L"\\" + m_strModuleName + L".INI", UserIni());
    EXPECT_TRUE(FileExists(GetConfigFolder())) << "Init(1) creates the per-user folder";
    EXPECT_EQ(L"SOFTWARE\\orvex\\" + m_strProgramName + L"\\" + m_strModuleName, std::wstring(m_store.GetRegKey()));
    EXPECT_FALSE(m_store.UsesRegistry());
}

TEST_F(ConfigStore, ValuesRoundTripInTheirStoredForm)
{
    Init();
    EXPECT_EQ(L"", Read(L"Missing"));
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Euro", L"\u20AC"));
    EXPECT_EQ(L"#UNI#AC20", ReadRawIni(UserIni(), SECTION, L"Euro"));
    EXPECT_EQ(L"\u20AC", Read(L"Euro"));

    m_store.WriteString(SECTION, L"Latin", L"caf\u00E9");
    EXPECT_EQ(L"caf\u00E9", ReadRawIni(UserIni(), SECTION, L"Latin"));
    EXPECT_EQ(L"caf\u00E9", Read(L"Latin"));

    m_store.WriteString(SECTION, L"Lines", L"a\tb\r\nc");
    EXPECT_EQ(L"a\\tb\\r\\nc", ReadRawIni(UserIni(), SECTION, L"Lines"));
    EXPECT_EQ(L"a\\tb\\r\\nc", Read(L"Lines"));
    EXPECT_EQ(L"a\tb\r\nc", Read(L"Lines", 1));

    m_store.WriteInt(SECTION, L"Int", -42);
    EXPECT_EQ(L"-42", Read(L"Int"));
    m_store.WriteFormat(SECTION, L"Format", L"%d %s %d", 1, L"\u00FCber", 3);
    EXPECT_EQ(L"1 \u00FCber 3", Read(L"Format"));
}

TEST_F(ConfigStore, LongStoredHexFormDecodesWithinTheResult)
{
    Init();
    // Written by another program: longer than the store writes it, decoded up to the bound.
    std::wstring strHex = L"#UNI#";
    for (int i = 0; i < 5000; ++i)
        strHex += L"AC20";
    WriteRawIni(UserIni(), SECTION, L"LongHex", strHex);
    EXPECT_EQ(std::wstring(2046, L'\u20AC') + L"\u00AC", Read(L"LongHex"));
}

TEST_F(ConfigStore, OlderAnsiFileKeepsEveryCharacter)
{
    Init();
    // The profile functions create a missing file in the ANSI code page, as older versions did.
    ASSERT_TRUE(WriteRawIni(UserIni(), SECTION, L"Old", L"  quoted  "));
    ASSERT_FALSE(IsUnicodeFile(UserIni()));
    ASSERT_TRUE(WriteRawIni(UserIni(), SECTION, L"Quoted", L"\"  quoted  \""));
    EXPECT_EQ(L"  quoted  ", Read(L"Quoted")) << "values written earlier read as before";

    // U+0080 and U+009F have no place in the code page: kept in the hexadecimal form.
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Controls", L"\u0080\u009F"));
    EXPECT_EQ(L"#UNI#80009F00", ReadRawIni(UserIni(), SECTION, L"Controls"));
    EXPECT_EQ(L"\u0080\u009F", Read(L"Controls"));
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Plain", L" plain "));
    EXPECT_EQ(L" plain ", Read(L"Plain"));
    EXPECT_FALSE(IsUnicodeFile(UserIni())) << "an existing file keeps its encoding";
    // More than 255 such characters cannot be kept whole there.
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Controls", std::wstring(256, L'\u0080').c_str()));
    EXPECT_EQ(L"\u0080\u009F", Read(L"Controls"));
}

TEST_F(ConfigStore, RefusedValueIsNotWrittenToTheModuleFileInstead)
{
    Init();
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Key", std::wstring(9000, L'w').c_str()));
    EXPECT_FALSE(FileExists(UserIni())) << "a refused value creates no file";
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Key", L"user value"));
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Key", std::wstring(9000, L'w').c_str()));
    EXPECT_EQ(L"<missing>", ReadRawIni(ModuleIni(), SECTION, L"Key"));
    EXPECT_EQ(L"user value", Read(L"Key"));
}

TEST_F(ConfigStore, PerUserFileFirstThenModuleFile)
{
    Init();
    WriteRawIni(ModuleIni(), SECTION, L"Shared", L"from module");
    EXPECT_EQ(L"from module", Read(L"Shared"));
    // Once written, the value lands in the per-user file and hides the module file's value.
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Shared", L"from user"));
    EXPECT_EQ(L"from user", ReadRawIni(UserIni(), SECTION, L"Shared"));
    EXPECT_EQ(L"from module", ReadRawIni(ModuleIni(), SECTION, L"Shared"));
    EXPECT_EQ(L"from user", Read(L"Shared"));
    // An empty per-user value is present, so it hides the module value as well.
    WriteRawIni(UserIni(), SECTION, L"Shared", L"");
    EXPECT_EQ(L"", Read(L"Shared"));
}

TEST_F(ConfigStore, TheSentinelValueCountsAsMissing)
{
    Init();
    WriteRawIni(UserIni(), SECTION, L"Key", L"{9B8D4A5A-780D-4437-A74D-CB9E88EA096D}");
    WriteRawIni(ModuleIni(), SECTION, L"Key", L"module value");
    EXPECT_EQ(L"module value", Read(L"Key"));
    WriteRawIni(ModuleIni(), SECTION, L"Key", L"{9B8D4A5A-780D-4437-A74D-CB9E88EA096D}");
    EXPECT_EQ(L"", Read(L"Key"));
    // A value longer than the presence test's buffer is still found.
    const std::wstring strLong(300, L'p');
    WriteRawIni(UserIni(), SECTION, L"Key", strLong);
    EXPECT_EQ(strLong, Read(L"Key"));
}

TEST_F(ConfigStore, EmptySectionUsesTheProgramFileAndTheModuleSection)
{
    Init();
    ASSERT_EQ(1, m_store.WriteString(L"", L"Key", L"value"));
    EXPECT_EQ(L"value", ReadRawIni(m_store.GetProgramIni(), m_strModuleName, L"Key"));
    EXPECT_EQ(L"value", std::wstring(m_store.ReadString(L"", L"Key", 0)));
    EXPECT_EQ(L"<missing>", ReadRawIni(UserIni(), SECTION, L"Key"));
}

TEST_F(ConfigStore, LockedPerUserFileFallsBackToTheModuleFile)
{
    Init();
    // Held open without sharing: the write fails with a sharing violation, not access denied.
    HANDLE hLock = CreateFileW(UserIni().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
    EXPECT_EQ(1, m_store.WriteString(SECTION, L"Key", L"fallback"));
    EXPECT_EQ(L"fallback", ReadRawIni(ModuleIni(), SECTION, L"Key"));
    EXPECT_EQ(L"fallback", Read(L"Key"));
    CloseHandle(hLock);
}

TEST_F(ConfigStore, AccessDeniedIsReportedEvenWhenTheFallbackWorked)
{
    Init();
    // A folder in place of the per-user file cannot be opened for writing: access denied.
    ASSERT_TRUE(CreateDirectoryW(UserIni().c_str(), nullptr));
    SetLastError(0);
    ASSERT_FALSE(WritePrivateProfileStringW(SECTION, L"Probe", L"x", UserIni().c_str()));
    if (GetLastError() != ERROR_ACCESS_DENIED)
        GTEST_SKIP() << "writing to a folder gave error " << GetLastError() << ", not access denied";
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Key", L"kept"));
    EXPECT_EQ(L"kept", ReadRawIni(ModuleIni(), SECTION, L"Key"));
}

TEST_F(ConfigStore, FailedFallbackIsReportedAsFailure)
{
    m_strModuleFile = m_folder.Child(L"missing folder\\" + m_strModuleName + L".dll");
    Init();
    HANDLE hLock = CreateFileW(UserIni().c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, hLock);
    // Neither file takes the value: not a success, whatever the error was.
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Key", L"lost"));
    CloseHandle(hLock);
}

TEST_F(ConfigStore, QelConfigOneKeepsValuesBesideTheProgram)
{
    for (const wchar_t* pszValue : {L"1", L"10"})
    {
        SetEnvironmentVariableW(L"QelConfig", pszValue);
        Init();
        EXPECT_STREQ(L"", m_store.GetUserIni()) << pszValue;
        EXPECT_EQ(1, m_store.WriteString(SECTION, L"Key", pszValue));
        EXPECT_EQ(pszValue, ReadRawIni(ModuleIni(), SECTION, L"Key"));
        EXPECT_EQ(pszValue, Read(L"Key"));
    }
    SetEnvironmentVariableW(L"QelConfig", L"0");
    Init();
    EXPECT_STRNE(L"", m_store.GetUserIni());
}

TEST_F(ConfigStore, MarkerKeyMovesValuesIntoTheRegistry)
{
    HKEY hMarker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (L"SOFTWARE\\orvex\\" + m_strProgramName).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hMarker, nullptr));
    RegCloseKey(hMarker);
    WriteRawIni(m_folder.Child(m_strModuleName + L".INI"), SECTION, L"Key", L"ini value");
    Init();
    ASSERT_TRUE(m_store.UsesRegistry());
    EXPECT_EQ(L"", Read(L"Key")) << "INI files are not read in registry mode";

    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Key", L"a\tb \u20AC"));
    const std::wstring strSectionKey = std::wstring(m_store.GetRegKey()) + L"\\General";
    wchar_t szStored[64] = L"";
    DWORD cbStored = sizeof(szStored);
    ASSERT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, strSectionKey.c_str(), L"Key", RRF_RT_REG_SZ, nullptr, szStored, &cbStored));
    EXPECT_STREQ(L"#UNI#6100090062002000AC20", szStored);
    EXPECT_EQ(L"a\tb \u20AC", Read(L"Key"));
    EXPECT_EQ(L"<missing>", ReadRawIni(UserIni(), SECTION, L"Key"));
    EXPECT_EQ(L"ini value", ReadRawIni(ModuleIni(), SECTION, L"Key"));

    // Values written by others count as missing above 8190 characters, also without terminator.
    HKEY hSection = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, strSectionKey.c_str(), 0, KEY_ALL_ACCESS, &hSection));
    for (size_t cch : {8190u, 8191u})
    {
        const std::wstring strValue(cch, L'r');
        RegSetValueExW(hSection, L"Long", 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                       static_cast<DWORD>((cch + 1) * sizeof(wchar_t)));
        EXPECT_EQ(cch == 8190u ? strValue : L"", Read(L"Long")) << cch;
        RegSetValueExW(hSection, L"Unterminated", 0, REG_SZ, reinterpret_cast<const BYTE*>(strValue.c_str()),
                       static_cast<DWORD>(cch * sizeof(wchar_t)));
        EXPECT_EQ(cch == 8190u ? strValue : L"", Read(L"Unterminated")) << cch;
    }
    // A stored text without terminator and of odd length still reads terminated.
    RegSetValueExW(hSection, L"Odd", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"abc"), 5);
    EXPECT_EQ(L"ab", Read(L"Odd").substr(0, 2));
    EXPECT_GE(3u, Read(L"Odd").size());
    RegCloseKey(hSection);
}

// An installation for every user sets the marker key below HKEY_LOCAL_MACHINE.
TEST_F(ConfigStore, MachineMarkerKeyMovesValuesIntoTheUsersRegistry)
{
    const std::wstring strMarker = L"SOFTWARE\\orvex\\" + m_strProgramName;
    HKEY hMarker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_LOCAL_MACHINE, strMarker.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                             nullptr, &hMarker, nullptr));
    RegCloseKey(hMarker);
    Init();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, strMarker.c_str());
    ASSERT_TRUE(m_store.UsesRegistry());
    ASSERT_EQ(1, m_store.WriteString(SECTION, L"Key", L"value"));
    wchar_t szStored[16] = L"";
    DWORD cbStored = sizeof(szStored);
    EXPECT_EQ(ERROR_SUCCESS, RegGetValueW(HKEY_CURRENT_USER, (std::wstring(m_store.GetRegKey()) + L"\\General").c_str(),
                                          L"Key", RRF_RT_REG_SZ, nullptr, szStored, &cbStored));
    EXPECT_STREQ(L"value", szStored);
    EXPECT_EQ(L"<missing>", ReadRawIni(UserIni(), SECTION, L"Key"));
}

TEST_F(ConfigStore, RefusedRegistryValueIsReportedAsFailure)
{
    HKEY hMarker = nullptr;
    ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, (L"SOFTWARE\\orvex\\" + m_strProgramName).c_str(), 0, nullptr, 0,
                                             KEY_ALL_ACCESS, nullptr, &hMarker, nullptr));
    RegCloseKey(hMarker);
    Init();
    ASSERT_TRUE(m_store.UsesRegistry());
    // The key opens, but the system refuses a value name above 16383 characters.
    const std::wstring strName(20000, L'n');
    EXPECT_EQ(0, m_store.WriteString(SECTION, strName.c_str(), L"x"));
    EXPECT_EQ(1, m_store.WriteString(SECTION, L"Short", L"x"));
    // A section key whose access list allows only reading is opened read-only: the value
    // write is refused, reported, and the stored value stays.
    const std::wstring strSectionKey = std::wstring(m_store.GetRegKey()) + L"\\General";
    ASSERT_TRUE(AllowOnlyReading(HKEY_CURRENT_USER, strSectionKey));
    EXPECT_EQ(0, m_store.WriteString(SECTION, L"Short", L"changed"));
    EXPECT_EQ(L"x", Read(L"Short"));
}
