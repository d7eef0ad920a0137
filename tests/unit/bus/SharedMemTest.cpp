// CRC-32, the shared block's name, and opening the block in this process.
#include <gtest/gtest.h>

#include <string>

#include "bus/Crc32.h"
#include "bus/SharedMem.h"

namespace {

uint32_t CrcOf(const std::string& _str)
{
    return CCrc32().Compute(_str.data(), _str.size());
}

std::wstring NameFor(const wchar_t* _pszFolder, const wchar_t* _pszUser)
{
    wchar_t szName[CSharedMem::NAME_CHARS];
    CSharedMem::FormatName(szName, CSharedMem::NAME_CHARS, _pszFolder, _pszUser);
    return szName;
}

// The image section that holds the address, or null.
const IMAGE_SECTION_HEADER* SectionOf(const void* _pAddress)
{
    const BYTE* pImage = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* pDos = reinterpret_cast<const IMAGE_DOS_HEADER*>(pImage);
    const auto* pNt = reinterpret_cast<const IMAGE_NT_HEADERS*>(pImage + pDos->e_lfanew);
    const IMAGE_SECTION_HEADER* pSection = IMAGE_FIRST_SECTION(pNt);
    const UINT_PTR uRva = reinterpret_cast<const BYTE*>(_pAddress) - pImage;
    for (WORD i = 0; i < pNt->FileHeader.NumberOfSections; ++i, ++pSection)
    {
        if (uRva >= pSection->VirtualAddress && uRva < pSection->VirtualAddress + pSection->Misc.VirtualSize)
            return pSection;
    }
    return nullptr;
}

} // namespace

TEST(Crc32, KnownVectors)
{
    EXPECT_EQ(0xCBF43926u, CrcOf("123456789"));
    EXPECT_EQ(0x00000000u, CrcOf(""));
    EXPECT_EQ(0x414FA339u, CrcOf("The quick brown fox jumps over the lazy dog"));
    EXPECT_EQ(0u, CCrc32().Compute(nullptr, 10));
}

TEST(SharedMemName, ChecksumOfTheUtf16FolderIsPrintedSigned)
{
    // CRC-32 of the UTF-16LE bytes: C:\Telvarin\ gives 0xEEED3CC1 (top bit set), D:\Tel\ 0x3A3380B8.
    EXPECT_EQ(L"Local\\SharedMemQelServer-286442303ALICE", NameFor(L"C:\\Telvarin\\", L"alice"));
    EXPECT_EQ(L"Local\\SharedMemQelServer976453816BOB", NameFor(L"D:\\Tel\\", L"Bob"));
    EXPECT_EQ(L"Local\\SharedMemQelServer0", NameFor(L"", L""));
}

TEST(SharedMemName, UserNameIsCutAt127AndTheNameAt511Characters)
{
    const std::wstring strUser(300, L'u');
    const std::wstring strName = NameFor(L"D:\\Tel\\", strUser.c_str());
    EXPECT_EQ(L"Local\\SharedMemQelServer976453816" + std::wstring(127, L'U'), strName);
    wchar_t szSmall[20];
    CSharedMem::FormatName(szSmall, 20, L"D:\\Tel\\", L"bob");
    EXPECT_EQ(std::wstring(L"Local\\SharedMemQelServer").substr(0, 19), szSmall);
}

TEST(SharedMemName, BuildNameUsesThisProgramsFolderAndUser)
{
    wchar_t szPath[MAX_PATH];
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    std::wstring strFolder = szPath;
    strFolder.resize(strFolder.find_last_of(L'\\') + 1);
    wchar_t szUser[256];
    DWORD dwSize = 256;
    ASSERT_TRUE(GetUserNameW(szUser, &dwSize));
    wchar_t szName[CSharedMem::NAME_CHARS];
    CSharedMem::BuildName(szName, CSharedMem::NAME_CHARS);
    EXPECT_EQ(NameFor(strFolder.c_str(), szUser), std::wstring(szName));
}

class SharedMemOpen : public testing::Test
{
protected:
    void SetUp() override { CSharedMem::BuildName(m_szName, CSharedMem::NAME_CHARS); }
    wchar_t m_szName[CSharedMem::NAME_CHARS];
};

TEST_F(SharedMemOpen, OpensAnExistingBlockWithoutClearingIt)
{
    HANDLE hMapping = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 16, m_szName);
    ASSERT_NE(nullptr, hMapping);
    auto* pWords = static_cast<volatile LONG*>(MapViewOfFile(hMapping, FILE_MAP_ALL_ACCESS, 0, 0, 16));
    ASSERT_NE(nullptr, pWords);
    pWords[1] = 4711;
    {
        CSharedMem sharedMem;
        sharedMem.OpenSharedMem();
        EXPECT_TRUE(sharedMem.IsMapped());
        EXPECT_EQ(4711, GetSharedWord(SHM_PLUGINID));
        SetSharedWord(SHM_MAINWINDOW, 0x1234);
        EXPECT_EQ(0x1234, pWords[3]);
        pWords[0] = 1;
        EXPECT_EQ(1, GetSharedWord(SHM_REQUEST));
    }
    EXPECT_EQ(nullptr, g_pSharedMem);
    EXPECT_EQ(0, GetSharedWord(SHM_REQUEST));
    SetSharedWord(SHM_REQUEST, 5);   // no block any more: nothing happens
    EXPECT_EQ(1, pWords[0]);
    UnmapViewOfFile(const_cast<LONG*>(pWords));
    CloseHandle(hMapping);
}

TEST_F(SharedMemOpen, CreatesTheBlockWhenNoneExists)
{
    CSharedMem sharedMem;
    sharedMem.OpenSharedMem();
    ASSERT_TRUE(sharedMem.IsMapped());
    SetSharedWord(SHM_HOSTRUNNING, 1);
    HANDLE hOther = OpenFileMappingW(FILE_MAP_READ, FALSE, m_szName);
    ASSERT_NE(nullptr, hOther);
    const auto* pWords = static_cast<const LONG*>(MapViewOfFile(hOther, FILE_MAP_READ, 0, 0, 16));
    ASSERT_NE(nullptr, pWords);
    EXPECT_EQ(0, pWords[0]);
    EXPECT_EQ(1, pWords[2]);
    UnmapViewOfFile(pWords);
    CloseHandle(hOther);
}

TEST_F(SharedMemOpen, FallsBackToTheImagesSharedSection)
{
    // An object of another type under the block's name makes opening and creating fail.
    HANDLE hMutex = CreateMutexW(nullptr, FALSE, m_szName);
    ASSERT_NE(nullptr, hMutex);
    {
        CSharedMem sharedMem;
        sharedMem.OpenSharedMem();
        EXPECT_FALSE(sharedMem.IsMapped());
        ASSERT_NE(nullptr, g_pSharedMem);
        SetSharedWord(SHM_PLUGINID, 99);
        EXPECT_EQ(99, GetSharedWord(SHM_PLUGINID));
        const IMAGE_SECTION_HEADER* pSection = SectionOf(const_cast<const LONG*>(g_pSharedMem));
        ASSERT_NE(nullptr, pSection);
        EXPECT_NE(0u, pSection->Characteristics & IMAGE_SCN_MEM_SHARED);
        EXPECT_NE(0u, pSection->Characteristics & IMAGE_SCN_MEM_WRITE);
        SetSharedWord(SHM_PLUGINID, 0);
        g_pSharedMem = nullptr;   // the section block is the process's; forget it for the other tests
    }
    CloseHandle(hMutex);
}
