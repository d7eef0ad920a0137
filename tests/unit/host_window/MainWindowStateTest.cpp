#include <gtest/gtest.h>
#include <windows.h>
#include <string>

#include "host/window/MainWindowState.h"

namespace {

std::wstring Value(const wchar_t* _pszKeyword, const std::wstring& _strValue)
{
    return std::wstring(L"<value keyword=\"") + _pszKeyword + L"\">" + _strValue + L"</value>";
}

} // namespace

TEST(MainWindowState, StartsWithSchemeZeroTheDefaultFontAndNoError)
{
    const CMainWindowState state;
    EXPECT_EQ(0u, state.GetSchemeIndex());
    EXPECT_STREQ(L"Segoe UI", state.GetFontName());
    EXPECT_STREQ(L"", state.GetLanguageName());
    EXPECT_EQ(0u, state.GetErrorInstance());
    EXPECT_STREQ(L"", state.GetLastErrorText());
    EXPECT_FALSE(state.IsExitRunning());
}

// Texts longer than the buffers are cut, never written past them.
TEST(MainWindowState, TakesSchemeAndLastErrorCutToTheirBuffers)
{
    CMainWindowState state;
    const std::wstring strLong(300, L'x');
    const std::wstring strScheme =
        Value(L"SchemeIndex", L"3") + Value(L"UsedFont", strLong) + Value(L"UsedLanguage", strLong);
    state.TakeScheme(strScheme.c_str());
    state.TakeLastError(Value(L"LastErr", strLong).c_str());
    EXPECT_EQ(3u, state.GetSchemeIndex());
    EXPECT_EQ(std::wstring(127, L'x'), state.GetFontName());
    EXPECT_EQ(std::wstring(31, L'x'), state.GetLanguageName());
    EXPECT_EQ(std::wstring(255, L'x'), state.GetLastErrorText());
}

TEST(MainWindowState, ExitGuardAdmitsOneExitAtATime)
{
    CMainWindowState state;
    ASSERT_TRUE(state.BeginExit());
    EXPECT_FALSE(state.BeginExit());
    state.EndExit();
    EXPECT_TRUE(state.BeginExit());
}
