#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "TempFolder.h"
#include "TestFiles.h"
#include "base/Account.h"
#include "host/entry/Entry.h"

TEST(SwitchParsing, OnlyTheFirstTwoCharactersCountInEitherCase)
{
    EXPECT_EQ(L'D', ParseSwitch(L"-D"));
    EXPECT_EQ(L'D', ParseSwitch(L"-d"));
    EXPECT_EQ(L'I', ParseSwitch(L"-install"));
    EXPECT_EQ(L'S', ParseSwitch(L"-s Programs#Phone#x#"));
    EXPECT_EQ(L'U', ParseSwitch(L"-u"));
}

TEST(SwitchParsing, AnythingElseStartsNormally)
{
    EXPECT_EQ(0, ParseSwitch(L"-x"));
    EXPECT_EQ(0, ParseSwitch(L"/D"));
    EXPECT_EQ(0, ParseSwitch(L" -D"));   // nothing is trimmed
    EXPECT_EQ(0, ParseSwitch(L"-"));
    EXPECT_EQ(0, ParseSwitch(L""));
    EXPECT_EQ(0, ParseSwitch(nullptr));
    EXPECT_EQ(0, ParseSwitch(L"\u2010D"));   // a hyphen that is not U+002D
}

TEST(ShortcutFields, SplitAtHashFromTheFourthCharacter)
{
    const ShortcutFields fields = SplitShortcutFields(L"-S Programs#Phone#x#");
    EXPECT_STREQ(L"Programs", fields.szMenuFolder);
    EXPECT_STREQ(L"Phone", fields.szLinkName);
    EXPECT_STREQ(L"x", fields.szThird);
}

TEST(ShortcutFields, MissingOrOverlongFieldsStayBounded)
{
    EXPECT_STREQ(L"", SplitShortcutFields(L"-S").szMenuFolder);
    const ShortcutFields onlyFolder = SplitShortcutFields(L"-S Menu");
    EXPECT_STREQ(L"Menu", onlyFolder.szMenuFolder);
    EXPECT_STREQ(L"", onlyFolder.szLinkName);

    const std::wstring strLong = L"-S " + std::wstring(400, L'a') + L"#b#c#";
    const ShortcutFields cut = SplitShortcutFields(strLong.c_str());
    EXPECT_EQ(255u, wcslen(cut.szMenuFolder));
}

TEST(HelpFileName, ProductNameWithoutBlanksWhenTheFileExists)
{
    const tvr::CTempFolder folder;
    wchar_t szOld[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, szOld);
    SetCurrentDirectoryW(folder.Path().c_str());

    wchar_t szHelp[512];
    BuildHelpFileName(L"My Phone App", szHelp, 512);
    EXPECT_STREQ(L"QELMARIS.CHM", szHelp);

    HANDLE hFile = CreateFileW(L"MYPHONEAPP.CHM", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(hFile);
    BuildHelpFileName(L"My Phone App", szHelp, 512);
    EXPECT_STREQ(L"MYPHONEAPP.CHM", szHelp);

    BuildHelpFileName(L"", szHelp, 512);
    EXPECT_STREQ(L"QELMARIS.CHM", szHelp);

    SetCurrentDirectoryW(szOld);
}

TEST(HelpFileName, ProductNameWhenTheFileLiesBesideTheProgramAndTheCurrentFolderIsElsewhere)
{
    const tvr::CTempFolder folder;
    wchar_t szOld[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, szOld);
    SetCurrentDirectoryW(folder.Path().c_str());
    const std::wstring strBeside = tvr::ProgramFolder() + L"\\HELPNAMETEST.CHM";
    wchar_t szHelp[512];

    BuildHelpFileName(L"Help Name Test", szHelp, 512);
    EXPECT_STREQ(L"QELMARIS.CHM", szHelp);
    HANDLE hFile = CreateFileW(strBeside.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(hFile);
    BuildHelpFileName(L"Help Name Test", szHelp, 512);
    EXPECT_STREQ(L"HELPNAMETEST.CHM", szHelp);

    DeleteFileW(strBeside.c_str());
    SetCurrentDirectoryW(szOld);
}

TEST(SystemAccount, NamesCompareWithCase)
{
    EXPECT_EQ(1, IsSystemAccountName(L"SYSTEM"));
    EXPECT_EQ(1, IsSystemAccountName(L"SYST\u00C8ME"));
    EXPECT_EQ(1, IsSystemAccountName(L"Syst\u00E8me"));
    EXPECT_EQ(0, IsSystemAccountName(L"system"));
    EXPECT_EQ(0, IsSystemAccountName(L"SYSTEME"));
    EXPECT_EQ(0, IsSystemAccountName(L"tester"));
    EXPECT_EQ(0, IsSystemAccount());   // tests run as a normal user
}
