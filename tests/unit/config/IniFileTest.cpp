// The encoding of the store's INI files, checked against what the profile functions do.
#include <gtest/gtest.h>
#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "config/IniFile.h"

using namespace tvr;

TEST(IniFile, NewAndEmptyFilesBecomeUnicodeExistingFilesStayAsTheyAre)
{
    CTempFolder folder;
    const std::wstring strNew = folder.Child(L"new.ini");
    EXPECT_FALSE(IsAnsiIniFile(strNew.c_str())) << "a missing file will be created as Unicode";
    CreateUnicodeIniFile(strNew.c_str());
    EXPECT_TRUE(IsUnicodeFile(strNew));
    EXPECT_FALSE(IsAnsiIniFile(strNew.c_str()));

    const std::wstring strEmpty = folder.Child(L"empty.ini");
    CloseHandle(CreateFileW(strEmpty.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    CreateUnicodeIniFile(strEmpty.c_str());
    EXPECT_TRUE(IsUnicodeFile(strEmpty));

    const std::wstring strAnsi = folder.Child(L"ansi.ini");
    ASSERT_TRUE(WriteRawIni(strAnsi, L"General", L"Key", L"value"));
    EXPECT_TRUE(IsAnsiIniFile(strAnsi.c_str()));
    CreateUnicodeIniFile(strAnsi.c_str());
    EXPECT_TRUE(IsAnsiIniFile(strAnsi.c_str()));
    EXPECT_EQ(L"value", ReadRawIni(strAnsi, L"General", L"Key"));

    // The profile functions keep every character in the new file.
    ASSERT_TRUE(WriteRawIni(strNew, L"General", L"Key", L"\u0080\u00E9\u20AC\u4E2D"));
    EXPECT_EQ(L"\u0080\u00E9\u20AC\u4E2D", ReadRawIni(strNew, L"General", L"Key"));
}

TEST(IniFile, AnsiCodePageTestAgreesWithAnAnsiFile)
{
    CTempFolder folder;
    const std::wstring strAnsi = folder.Child(L"ansi.ini");
    ASSERT_TRUE(WriteRawIni(strAnsi, L"General", L"Seed", L"x"));
    ASSERT_TRUE(IsAnsiIniFile(strAnsi.c_str()));
    for (const wchar_t* pszText : {L"plain ASCII", L"caf\u00E9", L"\u0080", L"\u0081", L"\u009F", L"\u00FF", L"\u20AC",
                                   L"\u03A9", L"\u4E2D", L"a\u00E9\u0080"})
    {
        ASSERT_TRUE(WriteRawIni(strAnsi, L"General", L"Key", pszText));
        const bool bKept = ReadRawIni(strAnsi, L"General", L"Key") == pszText;
        EXPECT_EQ(bKept, FitsAnsiCodePage(pszText)) << testing::PrintToString(std::wstring(pszText)) << " code page " << GetACP();
    }
}
