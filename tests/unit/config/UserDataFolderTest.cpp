// Where the per-user data lives: the folder name rules and the cases that keep the data
// beside the program.
#include <gtest/gtest.h>
#include <shlobj.h>
#include <string>

#include "config/RegIniAccess.h"
#include "config/UserDataFolder.h"

namespace {

std::wstring Appended(const wchar_t* _pszPart)
{
    wchar_t szPath[32] = L"X\\";
    AppendPathPart(szPath, ARRAYSIZE(szPath), _pszPart);
    return szPath;
}

std::wstring AppData()
{
    wchar_t szFolder[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, szFolder);
    return szFolder;
}

std::wstring DataFolder(const wchar_t* _pszUser, const wchar_t* _pszProgram, const wchar_t* _pszSub = L"CFG")
{
    const SUserDataSource source = {_pszUser, _pszProgram, L"Ab Cd", L"Ef Gh"};
    wchar_t szFolder[512] = L"";
    BuildUserDataFolder(source, _pszSub, szFolder, 511);
    return szFolder;
}

} // namespace

TEST(AppendPathPart, BlanksAreRemovedOrTheTextIsSkipped)
{
    EXPECT_EQ(L"X\\AbCd\\", Appended(L"Ab Cd"));
    EXPECT_EQ(L"X\\AbCd\\", Appended(L"Ab Cd "));
    EXPECT_EQ(L"X\\", Appended(L"Ab Cd  "));
    EXPECT_EQ(L"X\\", Appended(L"A"));
    EXPECT_EQ(L"X\\", Appended(L""));
    EXPECT_EQ(L"X\\Ab\\", Appended(L"Ab"));
    // The path buffer bounds the result.
    EXPECT_EQ(31u, Appended(L"abcdefghijklmnopqrstuvwxyz0123456789").size());
}

TEST(UserDataFolder, LoggedOnUserGetsTheRoamingFolder)
{
    EXPECT_EQ(AppData() + L"\\orvex\\AbCd\\EfGh\\CFG", DataFolder(L"tester", L"C:\\prog\\Telvarin.exe"));
    EXPECT_EQ(AppData() + L"\\orvex\\AbCd\\EfGh\\LOG", DataFolder(L"tester", L"C:\\prog\\Telvarin.exe", L"LOG"));
    const SUserDataSource source = {L"tester", L"C:\\prog\\Telvarin.exe", L"Ab Cd", L"desc  "};
    wchar_t szFolder[512] = L"";
    BuildUserDataFolder(source, L"CFG", szFolder, 511);
    EXPECT_EQ(AppData() + L"\\orvex\\AbCd\\CFG", std::wstring(szFolder));
}

TEST(UserDataFolder, SystemNoUserAndConfigProgramsUseTheProgramFolder)
{
    EXPECT_EQ(L"C:\\prog\\CFG", DataFolder(L"SYSTEM", L"C:\\prog\\Telvarin.exe"));
    EXPECT_EQ(L"C:\\prog\\CFG", DataFolder(L"Syst\u00E8me", L"C:\\prog\\Telvarin.exe"));
    EXPECT_EQ(L"C:\\prog\\LOG", DataFolder(L"", L"C:\\prog\\Telvarin.exe", L"LOG"));
    EXPECT_EQ(L"C:\\prog\\CFG", DataFolder(L"tester", L"C:\\prog\\QELCONFIG.EXE"));
    EXPECT_EQ(L"C:\\prog\\CFG", DataFolder(L"tester", L"C:\\prog\\TvrConfig.exe"));
    // Only those names: another account name or program keeps its per-user folder.
    EXPECT_NE(L"C:\\prog\\CFG", DataFolder(L"system", L"C:\\prog\\Telvarin.exe"));
    EXPECT_NE(L"C:\\prog\\CFG", DataFolder(L"tester", L"C:\\prog\\QelConfig2.exe"));
}

TEST(UserDataFolder, ThisProgramWithoutVersionTextsUsesTheMakerFolder)
{
    EXPECT_EQ(AppData() + L"\\orvex\\CFG", std::wstring(GetConfigFolder()));
    EXPECT_EQ(AppData() + L"\\orvex\\LOG", std::wstring(GetLogFolder()));
}
