// Language modules: the start-up choice, switching by name, lookups and their defaults,
// and putting texts into menus and windows.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "TempFolder.h"
#include "TestFiles.h"
#include "config/LanguageChoice.h"
#include "config/ResourceAccess.h"

using namespace tvr;

namespace {

const wchar_t DIST_EN[] = TVR_DIST_DIR L"\\Resource\\EN\\RESOURCE.DLL";
const wchar_t DIST_DE[] = TVR_DIST_DIR L"\\Resource\\DE\\RESOURCE.DLL";

// The folders the choice tries, in order, with the set of folders that load.
std::vector<std::wstring> Attempts(const std::vector<DWORD>& _vecIds, const std::wstring& _strLoads, std::wstring* _pstrChosen)
{
    DWORD adwIds[LANGUAGE_LIST_SIZE] = {};
    for (size_t i = 0; i < _vecIds.size() && i < LANGUAGE_LIST_SIZE; ++i)
        adwIds[i] = _vecIds[i];
    std::vector<std::wstring> vecTried;
    const wchar_t* pszChosen = ChooseStartupLanguage(adwIds, [&](const wchar_t* _pszFolder) {
        vecTried.push_back(_pszFolder);
        return _strLoads.find(_pszFolder) != std::wstring::npos;
    });
    *_pstrChosen = pszChosen ? pszChosen : L"(none)";
    return vecTried;
}

std::wstring ModulePath(HMODULE _hModule)
{
    wchar_t szPath[MAX_PATH] = L"";
    GetModuleFileNameW(_hModule, szPath, MAX_PATH);
    return szPath;
}

// Writes one string into a copy of the English module (the block of 16 ids is replaced).
bool MakeModuleWithString(const std::wstring& _strPath, UINT _uId, const std::wstring& _strText)
{
    if (!CopyFileW(DIST_EN, _strPath.c_str(), FALSE))
        return false;
    std::vector<WORD> vecBlock;
    for (UINT uIndex = 0; uIndex < 16; ++uIndex)
    {
        const bool bThis = uIndex == _uId % 16;
        vecBlock.push_back(static_cast<WORD>(bThis ? _strText.size() : 0));
        if (bThis)
            vecBlock.insert(vecBlock.end(), _strText.begin(), _strText.end());
    }
    HANDLE hUpdate = BeginUpdateResourceW(_strPath.c_str(), FALSE);
    if (hUpdate == nullptr)
        return false;
    const BOOL bUpdated = UpdateResourceW(hUpdate, RT_STRING, MAKEINTRESOURCEW(_uId / 16 + 1), MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
                                          vecBlock.data(), static_cast<DWORD>(vecBlock.size() * sizeof(WORD)));
    return EndUpdateResourceW(hUpdate, !bUpdated) && bUpdated;
}

// A language folder below this test program's folder, removed again.
class CLanguageFolder
{
public:
    CLanguageFolder(const wchar_t* _pszFolder, const std::wstring& _strSource)
        : m_strResource(ProgramFolder() + L"\\Resource"), m_strFolder(m_strResource + L"\\" + _pszFolder)
    {
        CreateDirectoryW(m_strResource.c_str(), nullptr);
        CreateDirectoryW(m_strFolder.c_str(), nullptr);
        if (!_strSource.empty())
            CopyFileW(_strSource.c_str(), File().c_str(), FALSE);
    }
    ~CLanguageFolder()
    {
        RemoveTree(m_strFolder);
        RemoveDirectoryW(m_strResource.c_str());   // only when no other test uses it
    }
    std::wstring File() const { return m_strFolder + L"\\Resource.dll"; }
private:
    std::wstring m_strResource;
    std::wstring m_strFolder;
};

} // namespace

TEST(LanguageChoice, FirstGermanOrEnglishIdThatLoadsWins)
{
    std::wstring strChosen;
    EXPECT_EQ((std::vector<std::wstring>{L"DE"}), Attempts({0x0407, 0x0409}, L"DE EN", &strChosen));
    EXPECT_EQ(L"DE", strChosen);
    // Austrian German and British English count by their low byte.
    EXPECT_EQ((std::vector<std::wstring>{L"EN"}), Attempts({0x040C, 0x0809, 0x0C07}, L"DE EN", &strChosen));
    EXPECT_EQ(L"EN", strChosen);
    Attempts({0x040C, 0x0C07}, L"DE EN", &strChosen);
    EXPECT_EQ(L"DE", strChosen);
    // A German module that does not load moves on to the next id.
    EXPECT_EQ((std::vector<std::wstring>{L"DE", L"EN"}), Attempts({0x0407, 0x0409}, L"EN", &strChosen));
    EXPECT_EQ(L"EN", strChosen);
}

TEST(LanguageChoice, OtherLanguagesEndWithEnglish)
{
    std::wstring strChosen;
    EXPECT_EQ((std::vector<std::wstring>{L"EN"}), Attempts({0x040C, 0x040C, 0x0410, 0x0410, 0x0415}, L"DE EN", &strChosen));
    EXPECT_EQ(L"EN", strChosen);
    Attempts({0x040C}, L"", &strChosen);
    EXPECT_EQ(L"(none)", strChosen);
}

TEST(LanguageChoice, NamesMapToFoldersWithoutRegardToCase)
{
    EXPECT_STREQ(L"De", LanguageFolderOfName(L"deutsch"));
    EXPECT_STREQ(L"Hr", LanguageFolderOfName(L"MAGYAR"));
    EXPECT_STREQ(L"Cz", LanguageFolderOfName(L"\u010CE\u0160TINA"));
    EXPECT_STREQ(L"Sl", LanguageFolderOfName(L"Sloven\u0161\u010Dina"));
    EXPECT_STREQ(L"Sk", LanguageFolderOfName(L"slovensk\u00DD"));
    EXPECT_STREQ(L"En", LanguageFolderOfName(L"Klingon"));
    EXPECT_STREQ(L"En", LanguageFolderOfName(L""));
}

TEST(LanguageList, HoldsTheSystemAnswersAndEndsInZero)
{
    DWORD adwIds[LANGUAGE_LIST_SIZE];
    ReadLanguageList(adwIds);
    EXPECT_EQ(GetUserDefaultUILanguage(), adwIds[0]);
    EXPECT_EQ(GetSystemDefaultUILanguage(), adwIds[1]);
    EXPECT_EQ(GetUserDefaultLangID(), adwIds[2]);
    EXPECT_EQ(GetSystemDefaultLangID(), adwIds[3]);
    EXPECT_NE(0u, adwIds[4]) << "the preferred UI languages hold at least one";
    EXPECT_EQ(0u, adwIds[9]);
}

TEST(ResourceAccess, StartUpLoadsTheModuleOfTheLanguageSettings)
{
    DWORD adwIds[LANGUAGE_LIST_SIZE];
    ReadLanguageList(adwIds);
    const std::wstring strExpected = ChooseStartupLanguage(adwIds, [](const wchar_t*) { return true; });
    CResourceAccess access;
    access.InitInFolder(TVR_DIST_DIR);
    ASSERT_NE(nullptr, access.GetModule());
    EXPECT_EQ(std::wstring(TVR_DIST_DIR L"\\Resource\\") + strExpected + L"\\RESOURCE.DLL", ModulePath(access.GetModule()));
    EXPECT_EQ(1, access.GetUnicodeFlag());
    EXPECT_STREQ(strExpected == L"DE" ? L"Schlie\u00DFen" : L"Close", access.GetString(1010, L"default"));
    EXPECT_STREQ(L"default", access.GetString(4000, L"default"));
    EXPECT_STREQ(L"", access.GetString(4000, nullptr));
}

TEST(ResourceAccess, ModuleLoadedBeforeIsUsedAndKeptLoaded)
{
    HMODULE hGerman = LoadLibraryW(DIST_DE);
    ASSERT_NE(nullptr, hGerman);
    {
        CResourceAccess access;
        access.InitInFolder(TVR_DIST_DIR);
        EXPECT_EQ(hGerman, access.GetModule());
        EXPECT_STREQ(L"Schlie\u00DFen", access.GetString(1010, nullptr));
    }
    // The store took a reference of its own and gave back only that one.
    EXPECT_EQ(hGerman, GetModuleHandleW(DIST_DE));
    FreeLibrary(hGerman);
}

TEST(ResourceAccess, WithoutModuleEveryLookupGivesItsDefault)
{
    CTempFolder empty;
    CResourceAccess access;
    access.InitInFolder(empty.Path().c_str());
    EXPECT_EQ(nullptr, access.GetModule());
    EXPECT_STREQ(L"Close", access.GetString(1010, L"Close"));
    EXPECT_STREQ(L"", access.GetString(1048, nullptr));
}

TEST(ResourceAccess, LongTextsAreCutTo1022Characters)
{
    CTempFolder folder;
    CreateDirectoryW(folder.Child(L"Resource").c_str(), nullptr);
    CreateDirectoryW(folder.Child(L"Resource\\EN").c_str(), nullptr);
    ASSERT_TRUE(MakeModuleWithString(folder.Child(L"Resource\\EN\\RESOURCE.DLL"), 1100, std::wstring(1500, L'z')));
    CResourceAccess access;
    access.InitInFolder(folder.Path().c_str());
    ASSERT_NE(nullptr, access.GetModule());
    EXPECT_EQ(std::wstring(1022, L'z'), access.GetString(1100, nullptr));
    EXPECT_EQ(std::wstring(1022, L'd'), access.GetString(1101, std::wstring(1500, L'd').c_str()));
}

TEST(SelectLanguage, MissingFolderKeepsTheLanguage)
{
    CResourceAccess access;
    access.InitInFolder(TVR_DIST_DIR);
    const HMODULE hBefore = access.GetModule();
    ASSERT_FALSE(FileExists(ProgramFolder() + L"\\Resource\\Hr\\Resource.dll"));
    EXPECT_EQ(0, access.SelectLanguage(L"MAGYAR"));
    EXPECT_EQ(hBefore, access.GetModule());
}

TEST(SelectLanguage, SwitchesToTheNamedModuleAndBack)
{
    const CLanguageFolder italian(L"It", DIST_DE);   // German texts serve as the Italian module
    const CLanguageFolder french(L"Fr", DIST_EN);
    CResourceAccess access;
    ASSERT_EQ(1, access.SelectLanguage(L"ITALIANO"));
    EXPECT_EQ(italian.File(), ModulePath(access.GetModule()));
    EXPECT_STREQ(L"Schlie\u00DFen", access.GetString(1010, nullptr));
    const HMODULE hItalian = access.GetModule();
    EXPECT_EQ(1, access.SelectLanguage(L"Italiano")) << "the loaded module is used again";
    EXPECT_EQ(hItalian, access.GetModule());
    ASSERT_EQ(1, access.SelectLanguage(L"Fran\u00E7ais"));
    EXPECT_STREQ(L"Close", access.GetString(1010, nullptr));
    EXPECT_EQ(nullptr, GetModuleHandleW(italian.File().c_str())) << "the module no longer in use is unloaded";
}

TEST(SelectLanguage, ModuleThatFailsToLoadLeavesOnlyDefaults)
{
    const CLanguageFolder polish(L"Pl", L"");
    const CLanguageFolder spanish(L"Es", DIST_EN);
    ASSERT_TRUE(WriteRawIni(polish.File(), L"not", L"a", L"module"));
    CResourceAccess access;
    ASSERT_EQ(1, access.SelectLanguage(L"Espa\u00F1ol"));
    EXPECT_EQ(0, access.SelectLanguage(L"Polski"));
    EXPECT_EQ(nullptr, access.GetModule());
    EXPECT_STREQ(L"fallback", access.GetString(1010, L"fallback"));
}

TEST(SetMenuText, ReplacesTextKeepsStateAndNumbersPositions)
{
    CResourceAccess access;
    access.InitInFolder(TVR_DIST_DIR);
    HMENU hMenu = CreatePopupMenu();
    AppendMenuW(hMenu, MF_STRING, 32778, L"orig");
    AppendMenuW(hMenu, MF_STRING | MF_GRAYED, 11005, L"paused");
    AppendMenuW(hMenu, MF_STRING, 777, L"third");
    wchar_t szText[64];

    access.SetMenuText(hMenu, 32778, 4000, nullptr);
    GetMenuStringW(hMenu, 32778, szText, ARRAYSIZE(szText), MF_BYCOMMAND);
    EXPECT_STREQ(L"orig", szText) << "an empty text leaves the item unchanged";

    access.SetMenuText(hMenu, 11005, 4000, L"Pause");
    GetMenuStringW(hMenu, 11005, szText, ARRAYSIZE(szText), MF_BYCOMMAND);
    EXPECT_STREQ(L"Pause", szText);
    EXPECT_TRUE(GetMenuState(hMenu, 11005, MF_BYCOMMAND) & MF_GRAYED);

    access.SetMenuText(hMenu, 2, 4000, L"by position");
    GetMenuStringW(hMenu, 2, szText, ARRAYSIZE(szText), MF_BYPOSITION);
    EXPECT_STREQ(L"by position", szText);
    EXPECT_EQ(2u, GetMenuItemID(hMenu, 2)) << "a position item gets the position as its id";
    DestroyMenu(hMenu);
}

TEST(SetWindowString, EmptyTextsLeaveWindowsAlone)
{
    CResourceAccess access;
    HWND hDlg = CreateWindowExW(0, L"STATIC", L"dialog", 0, 0, 0, 10, 10, HWND_MESSAGE, nullptr, nullptr, nullptr);
    HWND hItem = CreateWindowExW(0, L"STATIC", L"item", WS_CHILD, 0, 0, 10, 10, hDlg, reinterpret_cast<HMENU>(5), nullptr, nullptr);
    wchar_t szText[32];
    access.SetWindowString(hDlg, 4000, nullptr);
    GetWindowTextW(hDlg, szText, ARRAYSIZE(szText));
    EXPECT_STREQ(L"dialog", szText);
    access.SetDlgItemString(hDlg, 5, 4000, L"new item");
    GetWindowTextW(hItem, szText, ARRAYSIZE(szText));
    EXPECT_STREQ(L"new item", szText);
    access.SetDlgItemString(hDlg, 6, 4000, L"no such item");
    DestroyWindow(hDlg);
}
