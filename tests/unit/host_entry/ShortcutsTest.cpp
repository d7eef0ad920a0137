#include <gtest/gtest.h>
#include <windows.h>
#include <shlobj.h>
#include <string>
#include <vector>

#include "TraceCaptureTest.h"
#include "host/entry/Shortcuts.h"

namespace {

const size_t CUT_CHARS = MAX_PATH - 1;
const wchar_t REFUSED[] = L"MAIN.Func.CreateShortcut.Abort.Path longer than 259 characters";

std::wstring ShellFolder(int _iFolder)
{
    wchar_t szPath[MAX_PATH] = L"";
    SHGetFolderPathW(nullptr, _iFolder | CSIDL_FLAG_CREATE, nullptr, SHGFP_TYPE_CURRENT, szPath);
    return szPath;
}

bool Exists(const std::wstring& _strPath)
{
    return GetFileAttributesW(_strPath.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CreateEmptyFile(const std::wstring& _strPath)
{
    HANDLE hFile = CreateFileW(_strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(hFile);
    return true;
}

// What a link path cut at MAX_PATH would name.
std::wstring CutPath(const std::wstring& _strFolder, const std::wstring& _strRelative)
{
    return (_strFolder + L"\\" + _strRelative).substr(0, CUT_CHARS);
}

// A link name too long for its folders: the cut path would name the "victim" files, one
// that exists (and must survive the delete step) and one that must not be created.
class ShortcutsTest : public tvr::CTraceCaptureTest
{
protected:
    void SetUp() override
    {
        CTraceCaptureTest::SetUp();
        GetModuleFileNameW(nullptr, m_szTarget, MAX_PATH);
    }
    void TearDown() override
    {
        for (const std::wstring& strPath : m_vecCleanup)
            DeleteFileW(strPath.c_str());
        CTraceCaptureTest::TearDown();
    }
    void PlantVictim(const std::wstring& _strPath)
    {
        m_vecCleanup.push_back(_strPath);
        ASSERT_TRUE(CreateEmptyFile(_strPath));
    }
    void ExpectAbsent(const std::wstring& _strPath)
    {
        m_vecCleanup.push_back(_strPath);
        DeleteFileW(_strPath.c_str());
    }
    const std::wstring m_strName = std::wstring(250, L'T');
    wchar_t m_szTarget[MAX_PATH] = L"";
    std::vector<std::wstring> m_vecCleanup;
};

} // namespace

TEST_F(ShortcutsTest, StartupLinkWithCutPathIsRefused)
{
    const std::wstring strVictim = CutPath(ShellFolder(CSIDL_STARTUP), m_strName);
    const std::wstring strCommonCut = CutPath(ShellFolder(CSIDL_COMMON_STARTUP), m_strName);
    PlantVictim(strVictim);
    ExpectAbsent(strCommonCut);

    CreateStartupShortcut(m_szTarget, m_strName.c_str());
    EXPECT_TRUE(Exists(strVictim));
    EXPECT_FALSE(Exists(strCommonCut));
    // Two deletes and the save, each refused with a line.
    EXPECT_EQ(3u, Lines(Take(), REFUSED).size());
}

TEST_F(ShortcutsTest, StartMenuLinkWithCutPathIsRefused)
{
    const std::wstring strRelative = L"Programs\\" + m_strName;
    const std::wstring strVictim = CutPath(ShellFolder(CSIDL_STARTMENU), strRelative);
    const std::wstring strCommonCut = CutPath(ShellFolder(CSIDL_COMMON_STARTMENU), strRelative);
    CreateDirectoryW((ShellFolder(CSIDL_STARTMENU) + L"\\Programs").c_str(), nullptr);
    PlantVictim(strVictim);
    ExpectAbsent(strCommonCut);

    CreateStartMenuShortcut(L"Programs", m_strName.c_str(), m_szTarget);
    EXPECT_TRUE(Exists(strVictim));
    EXPECT_FALSE(Exists(strCommonCut));
    EXPECT_EQ(3u, Lines(Take(), REFUSED).size());

    // A menu folder name that alone passes the limit is refused before anything else.
    CreateStartMenuShortcut(std::wstring(255, L'M').c_str(), m_strName.c_str(), m_szTarget);
    EXPECT_EQ(1u, Lines(Take(), REFUSED).size());
}
