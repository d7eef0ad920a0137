// What the help viewer is asked to show for each topic, and the compiled help file of the
// distribution folder, read through the system's reader of compiled help files (the storage
// object of itss.dll, which the viewer reads pages with): the page of every topic the host
// opens, every page of the contents and the index, and every link of those pages lie in the file.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>
#include <regex>
#include <set>
#include <string>

#include "TestFiles.h"
#include "ui/HelpFile.h"

// The storage interface of compiled help files (itss.dll); the SDK headers here lack it.
// Declared outside the unnamed namespace: the compiler would take a type of its own, with no
// implementation in sight, for one whose methods are never called.
const CLSID CLSID_ITStorage = {0x5d02926a, 0x212e, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
const IID IID_IITStorage = {0x88cc31de, 0x27ab, 0x11d0, {0x9d, 0xf9, 0x00, 0xa0, 0xc9, 0x22, 0xe6, 0xec}};
struct IITStorage : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfile(const WCHAR*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgCreateDocfileOnILockBytes(ILockBytes*, DWORD, DWORD, IStorage**) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageFile(const WCHAR*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgIsStorageILockBytes(ILockBytes*) = 0;
    virtual HRESULT STDMETHODCALLTYPE StgOpenStorage(const WCHAR*, IStorage*, DWORD, SNB, DWORD, IStorage**) = 0;
};

namespace {

const std::wstring HELP_FILE = std::wstring(TVR_DIST_DIR) + L"\\" + tvr::HelpFileName(TVR_DIST_DIR L"\\Telvarin.exe");

// The file's page as bytes; empty when the file does not hold it. Objects are released
// only after a call that succeeded: a failed call may leave its result unset.
std::string ReadPage(const std::string& _strPage)
{
    std::string strData;
    IITStorage* pFiles = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ITStorage, nullptr, CLSCTX_INPROC_SERVER, IID_IITStorage,
                                reinterpret_cast<void**>(&pFiles))))
        return strData;
    IStorage* pStorage = nullptr;
    if (SUCCEEDED(pFiles->StgOpenStorage(HELP_FILE.c_str(), nullptr, STGM_READ | STGM_SHARE_DENY_WRITE, nullptr, 0, &pStorage)))
    {
        IStream* pStream = nullptr;
        const std::wstring strName(_strPage.begin(), _strPage.end());
        if (SUCCEEDED(pStorage->OpenStream(strName.c_str(), nullptr, STGM_READ, 0, &pStream)))
        {
            char acBuffer[4096];
            ULONG ulRead = 0;
            while (SUCCEEDED(pStream->Read(acBuffer, sizeof(acBuffer), &ulRead)) && ulRead > 0)
                strData.append(acBuffer, ulRead);
            pStream->Release();
        }
        pStorage->Release();
    }
    pFiles->Release();
    return strData;
}

// The first group of every match of the pattern in the text.
std::set<std::string> Matches(const std::string& _strText, const char* _pszPattern)
{
    std::set<std::string> found;
    const std::regex pattern(_pszPattern, std::regex::icase);
    for (auto it = std::sregex_iterator(_strText.begin(), _strText.end(), pattern); it != std::sregex_iterator(); ++it)
        found.insert((*it)[1].str());
    return found;
}

class HelpFile : public ::testing::Test
{
protected:
    static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
};

TEST_F(HelpFile, HoldsThePageOfEveryTopicTheHostOpens)
{
    ASSERT_TRUE(tvr::FileExists(HELP_FILE)) << "the build puts the help file into the distribution folder";
    ASSERT_TRUE(ReadPage("no-such-page.htm").empty()) << "a missing page must read as missing";
    for (size_t i = 0; i < HELP_TOPIC_COUNT; ++i)
    {
        const std::wstring strPage = HELP_TOPICS[i].pszPage;
        const std::string strText = ReadPage(std::string(strPage.begin(), strPage.end()));
        EXPECT_NE(std::string::npos, strText.find("<title>")) << "topic " << HELP_TOPICS[i].iTopic;
    }
}

TEST(HelpTopic, TargetIsThePageOfTheTopicInTheFile)
{
    const struct
    {
        int iTopic;
        const wchar_t* pszTarget;
    } CASES[] = {
        {HELP_TOPIC_MAIN, L"C:\\P\\X.CHM::/tray.htm"},
        {HELP_TOPIC_SETTINGS, L"C:\\P\\X.CHM::/settings.htm"},
        {HELP_TOPIC_MODULE_INFO, L"C:\\P\\X.CHM::/moduleinfo.htm"},
        {0, L"C:\\P\\X.CHM"},     // no page: the file's first page
        {102, L"C:\\P\\X.CHM"},
    };
    for (const auto& c : CASES)
    {
        wchar_t szTarget[MAX_PATH + 64];
        BuildHelpTarget(L"C:\\P\\X.CHM", c.iTopic, szTarget, ARRAYSIZE(szTarget));
        EXPECT_STREQ(c.pszTarget, szTarget) << c.iTopic;
    }
    // A page that does not fit behind the file is left off rather than cut.
    wchar_t szShort[16];
    BuildHelpTarget(L"C:\\P\\X.CHM", HELP_TOPIC_SETTINGS, szShort, ARRAYSIZE(szShort));
    EXPECT_STREQ(L"C:\\P\\X.CHM", szShort);
}

TEST_F(HelpFile, EveryPageOfTheContentsAndEveryLinkIsInTheFile)
{
    const char LOCAL[] = "<param name=\"Local\" value=\"([^\"]+)\"";
    std::set<std::string> pages = Matches(ReadPage("contents.hhc"), LOCAL);
    ASSERT_GE(pages.size(), 9u) << "the contents name every page";
    const std::set<std::string> indexed = Matches(ReadPage("index.hhk"), LOCAL);
    ASSERT_FALSE(indexed.empty());
    pages.insert(indexed.begin(), indexed.end());
    for (const std::string& strPage : pages)
    {
        const std::string strText = ReadPage(strPage);
        ASSERT_FALSE(strText.empty()) << strPage;
        // Links within the file (no scheme), without their anchors.
        for (const std::string& strLink : Matches(strText, "(?:href|src)=\"([^\":#]+)(?:#[^\"]*)?\""))
            EXPECT_FALSE(ReadPage(strLink).empty()) << strPage << " links to " << strLink;
    }
}

} // namespace
