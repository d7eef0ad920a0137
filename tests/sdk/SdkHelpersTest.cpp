// The SDK header as a plug-in uses it: the bus type table and its copy in docs/plugins.md,
// the host window search and the record writer, against real windows of this process.
#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "TelvarinPlugin.h"

namespace {

// The type table as docs/plugins.md shows it, made from the header's one table.
std::string BusTypeTableMarkdown()
{
    std::string strTable = "| Type | Name | Fields | Direction | Delivery | Thread |\n|---|---|---|---|---|---|\n";
#define SDK_TEST_ROW(uNumber, Name, pszFields, pszDirection, pszDelivery, pszThread)                            \
    strTable += "| " + std::to_string(uNumber) + " | `" #Name "` | " pszFields " | " pszDirection " | " pszDelivery \
                " | " pszThread " |\n";
    TELVARIN_BUS_TYPES(SDK_TEST_ROW)
#undef SDK_TEST_ROW
    return strTable;
}

// The text between the two marker lines of the document; empty when a marker is missing.
std::string DocumentSection(const std::string& _strBegin, const std::string& _strEnd)
{
    std::ifstream file(TVR_DOCS_PLUGINS_MD, std::ios::binary);
    std::stringstream stream;
    stream << file.rdbuf();
    std::string strDoc = stream.str();
    strDoc.erase(std::remove(strDoc.begin(), strDoc.end(), '\r'), strDoc.end());
    const size_t uBegin = strDoc.find(_strBegin + "\n");
    const size_t uEnd = strDoc.find(_strEnd, uBegin);
    if (uBegin == std::string::npos || uEnd == std::string::npos)
        return std::string();
    return strDoc.substr(uBegin + _strBegin.size() + 1, uEnd - uBegin - _strBegin.size() - 1);
}

// A hidden window of this thread that keeps the bus messages it gets (and owns their blocks).
class CBusWindow
{
public:
    explicit CBusWindow(LONG_PTR _lUserData = 0)
    {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = WindowProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"SdkTestBusWindow";
        RegisterClassW(&wc);
        m_hWnd = CreateWindowExW(0, wc.lpszClassName, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                 wc.hInstance, nullptr);
        SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, _lUserData);
        s_pCurrent = this;
    }
    ~CBusWindow()
    {
        DestroyWindow(m_hWnd);
        for (HGLOBAL hBlock : m_vecBlocks)
            GlobalFree(hBlock);
        s_pCurrent = nullptr;
    }
    HWND Handle() const { return m_hWnd; }
    // Handles what was posted to the window so far.
    void Pump() const
    {
        MSG msg;
        while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
    }
    const std::vector<UINT>& Types() const { return m_vecTypes; }
    const std::vector<HGLOBAL>& Blocks() const { return m_vecBlocks; }
    LRESULT m_lResult = 1;   // answer to a sent bus message

private:
    static LRESULT CALLBACK WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
    {
        if (_uMsg != WM_QEL_BUS || s_pCurrent == nullptr)
            return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
        s_pCurrent->m_vecTypes.push_back(static_cast<UINT>(_wParam));
        s_pCurrent->m_vecBlocks.push_back(reinterpret_cast<HGLOBAL>(_lParam));
        return s_pCurrent->m_lResult;
    }

    static CBusWindow* s_pCurrent;
    HWND m_hWnd = nullptr;
    std::vector<UINT> m_vecTypes;
    std::vector<HGLOBAL> m_vecBlocks;
};

CBusWindow* CBusWindow::s_pCurrent = nullptr;

std::wstring Field(const std::wstring& _strKeyword, const std::wstring& _strValue)
{
    return L" <value keyword=\"" + _strKeyword + L"\">" + _strValue + L"</value>\r\n";
}

std::wstring TextOf(HGLOBAL _hBlock)
{
    return static_cast<const wchar_t*>(_hBlock);
}

} // namespace

TEST(SdkBusTypes, KeepTheirNumbersAndNameThemselves)
{
    std::vector<UINT> vecNumbers;
#define SDK_TEST_NUMBER(uNumber, Name, pszFields, pszDirection, pszDelivery, pszThread) vecNumbers.push_back(Name);
    TELVARIN_BUS_TYPES(SDK_TEST_NUMBER)
#undef SDK_TEST_NUMBER
    // The numbers are the host's and other programs': a changed one breaks them all.
    const std::vector<UINT> vecExpected = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 14, 18,
                                           19, 21, 24, 25, 26, 33, 34, 36, 37, 43, 44, 48, 51, 53,
                                           60, 61, 62, 63, 66, 71, 73, 76, 77, 78, 79, 80, 82};
    EXPECT_EQ(vecExpected, vecNumbers);
    EXPECT_STREQ(L"QEL_BUSMSG_MENUCOMMAND", GetBusTypeName(1));
    EXPECT_STREQ(L"QEL_BUSMSG_TRACE", GetBusTypeName(QEL_BUSMSG_TRACE));
    EXPECT_STREQ(L"QEL_BUSMSG_MENUSEPARATOR", GetBusTypeName(78));
    EXPECT_STREQ(L"QEL_BUSMSG_VERSIONINFO", GetBusTypeName(82));
    for (UINT uUnknown : {0u, 13u, 81u, 83u, 202u, 0xFFFFFFFFu})
        EXPECT_STREQ(BUS_TYPE_NAME_UNKNOWN, GetBusTypeName(uUnknown)) << uUnknown;
}

TEST(SdkBusTypes, TheDocumentShowsTheHeadersTable)
{
    const std::string strExpected = BusTypeTableMarkdown();
    EXPECT_EQ(strExpected, DocumentSection("<!-- bus types: TELVARIN_BUS_TYPES -->", "<!-- end of bus types -->"))
        << "docs/plugins.md needs this table between its markers:\n" << strExpected;
}

TEST(SdkHostWindow, IsTheWindowOfThisProcessWithTheHostsUserData)
{
    EXPECT_EQ(nullptr, FindHostMainWindow());
    CBusWindow other(0x1234);
    EXPECT_EQ(nullptr, FindHostMainWindow());
    // On 64 bits, only the whole value counts: a larger number with the same low half is not the host.
    if (sizeof(LONG_PTR) > 4)
    {
        SetWindowLongPtrW(other.Handle(), GWLP_USERDATA, static_cast<LONG_PTR>(HOST_WINDOW_ID | (1ull << 32)));
        EXPECT_EQ(nullptr, FindHostMainWindow());
    }
    SetWindowLongPtrW(other.Handle(), GWLP_USERDATA, static_cast<LONG_PTR>(HOST_WINDOW_ID));
    EXPECT_EQ(other.Handle(), FindHostMainWindow());
}

TEST(SdkRecordWriter, PostsTheRecordInAFixedZeroFilledBlockOfTheHostsSize)
{
    CBusWindow window;
    CBusRecordWriter record;
    EXPECT_TRUE(record.AddNumber(L"Level", 2));
    EXPECT_TRUE(record.AddText(L"Text", L"PLUGIN.Func.Test.Info.a &amp; b"));
    EXPECT_TRUE(record.AddNumber(L"Thread", -7));
    ASSERT_TRUE(record.Post(window.Handle(), QEL_BUSMSG_TRACE));
    window.Pump();
    ASSERT_EQ(std::vector<UINT>{QEL_BUSMSG_TRACE}, window.Types());
    const HGLOBAL hBlock = window.Blocks()[0];
    EXPECT_EQ(std::wstring(BUS_RECORD_HEADER) + Field(L"Type", L"4") + Field(L"Level", L"2") +
                  Field(L"Text", L"PLUGIN.Func.Test.Info.a &amp; b") + Field(L"Thread", L"-7") + BUS_RECORD_FOOTER,
              TextOf(hBlock));
    // Fixed memory: the handle is the address; zero-filled behind the text.
    EXPECT_EQ(hBlock, GlobalHandle(hBlock));
    const size_t cchBlock = GlobalSize(hBlock) / sizeof(wchar_t);
    EXPECT_GE(cchBlock, size_t(BUS_BLOCK_MIN_CHARS));
    const wchar_t* pszBlock = static_cast<const wchar_t*>(hBlock);
    EXPECT_EQ(std::wstring(cchBlock - TextOf(hBlock).size(), L'\0'),
              std::wstring(pszBlock + TextOf(hBlock).size(), pszBlock + cchBlock));
}

TEST(SdkRecordWriter, SendsAndReturnsTheWindowsResult)
{
    CBusWindow window;
    window.m_lResult = 7;
    CBusRecordWriter record;
    EXPECT_EQ(7, record.Send(window.Handle(), 44));
    // The same fields go out again under another type, each time in a block of its own.
    EXPECT_TRUE(record.Post(window.Handle(), 45));
    window.Pump();
    ASSERT_EQ((std::vector<UINT>{44, 45}), window.Types());
    EXPECT_NE(window.Blocks()[0], window.Blocks()[1]);
    EXPECT_EQ(45, GetBusNumber(TextOf(window.Blocks()[1]).c_str(), L"Type"));
}

TEST(SdkRecordWriter, AMissingWindowGetsNothing)
{
    CBusRecordWriter record;
    EXPECT_FALSE(record.Post(nullptr, QEL_BUSMSG_TRACE));
    EXPECT_EQ(0, record.Send(nullptr, QEL_BUSMSG_TRACE));
    HWND hWndGone = nullptr;
    {
        CBusWindow window;
        hWndGone = window.Handle();
    }
    EXPECT_FALSE(record.Post(hWndGone, QEL_BUSMSG_TRACE));
    EXPECT_EQ(0, record.Send(hWndGone, QEL_BUSMSG_TRACE));
}

TEST(SdkRecordWriter, HandlesReadBackAtPointerSize)
{
    const void* pHigh = reinterpret_cast<const void*>(sizeof(void*) > 4 ? UINT_PTR(0x7FF712345678ull) : UINT_PTR(0x7FF12345));
    CBusRecordWriter record;
    EXPECT_TRUE(record.AddHandle(L"MemBlock", pHigh));
    EXPECT_TRUE(record.AddHandle(L"Window", nullptr));
    const HGLOBAL hBlock = record.NewBlock(QEL_BUSMSG_STATUS);
    ASSERT_NE(nullptr, hBlock);
    EXPECT_EQ(reinterpret_cast<INT_PTR>(pHigh), GetBusHandle(TextOf(hBlock).c_str(), L"MemBlock"));
    EXPECT_STREQ(L"0", GetBusValue(TextOf(hBlock).c_str(), L"Window"));
    GlobalFree(hBlock);
}

TEST(SdkRecordWriter, LeavesOutFieldsThatWouldNotReadBack)
{
    CBusRecordWriter record;
    EXPECT_FALSE(record.AddText(L"Text", L"early</value> end"));
    EXPECT_FALSE(record.AddText(L"Bad\"Key", L"x"));
    EXPECT_FALSE(record.AddText(L"Key>", L"x"));
    EXPECT_FALSE(record.AddText(L"", L"x"));
    EXPECT_FALSE(record.AddText(nullptr, L"x"));
    EXPECT_FALSE(record.AddText(L"Text", nullptr));
    EXPECT_FALSE(record.AddNumber(nullptr, 1));
    EXPECT_TRUE(record.AddText(L"Text", L""));
    const HGLOBAL hBlock = record.NewBlock(QEL_BUSMSG_TRACE);
    ASSERT_NE(nullptr, hBlock);
    EXPECT_EQ(std::wstring(BUS_RECORD_HEADER) + Field(L"Type", L"4") + Field(L"Text", L"") + BUS_RECORD_FOOTER,
              TextOf(hBlock));
    GlobalFree(hBlock);
}

TEST(SdkRecordWriter, AFieldThatDoesNotFitIsLeftOutWholeAndTheRecordStaysComplete)
{
    CBusRecordWriter record;
    EXPECT_TRUE(record.AddText(L"A", std::wstring(16000, L'a').c_str()));
    EXPECT_FALSE(record.AddText(L"B", std::wstring(1000, L'b').c_str()));
    EXPECT_TRUE(record.AddNumber(L"C", 3));
    const HGLOBAL hBlock = record.NewBlock(0xFFFFFFFFu);
    ASSERT_NE(nullptr, hBlock);
    const std::wstring strRecord = TextOf(hBlock);
    EXPECT_LE(strRecord.size(), size_t(BUS_RECORD_CAPACITY - 1));
    EXPECT_EQ(std::wstring(BUS_RECORD_FOOTER), strRecord.substr(strRecord.size() - wcslen(BUS_RECORD_FOOTER)));
    EXPECT_EQ(16000u, wcslen(GetBusValue(strRecord.c_str(), L"A")));
    EXPECT_STREQ(L"", GetBusValue(strRecord.c_str(), L"B"));
    EXPECT_EQ(3, GetBusNumber(strRecord.c_str(), L"C"));
    EXPECT_EQ(4294967295u, static_cast<unsigned long>(std::wcstoul(GetBusValue(strRecord.c_str(), L"Type"), nullptr, 10)));
    GlobalFree(hBlock);
}
