#include <gtest/gtest.h>

#include <string>

#include "bus/PluginName.h"

namespace {

std::wstring Normalized(const wchar_t* _pszFile)
{
    wchar_t szOut[512];
    NormalizePluginName(_pszFile, szOut, 512);
    return szOut;
}

} // namespace

TEST(PluginName, UpperCasedWithDllAppendedOnce)
{
    EXPECT_EQ(Normalized(L"PluginXyz"), L"PLUGINXYZ.DLL");
    EXPECT_EQ(Normalized(L"PluginXyz.dll"), L"PLUGINXYZ.DLL");
    EXPECT_EQ(Normalized(L"Plugin.dll.bak"), L"PLUGIN.DLL.BAK");   // holds ".DLL" already
    EXPECT_EQ(Normalized(nullptr), L".DLL");
}

TEST(PluginName, LongNameIsCutTo511CharactersBeforeTheExtension)
{
    const std::wstring strLong(600, L'a');
    const std::wstring strOut = Normalized(strLong.c_str());
    EXPECT_EQ(strOut.size(), 511u);
    EXPECT_EQ(strOut, std::wstring(511, L'A'));
}

TEST(PluginName, OnlyPlainFileNamesAreLoadable)
{
    EXPECT_TRUE(IsPlainFileName(L"PLUGINXYZ.DLL"));
    EXPECT_FALSE(IsPlainFileName(L""));
    EXPECT_FALSE(IsPlainFileName(L"..\\..\\EVIL.DLL"));
    EXPECT_FALSE(IsPlainFileName(L"SUB/PLUGIN.DLL"));
    EXPECT_FALSE(IsPlainFileName(L"C:EVIL.DLL"));
    EXPECT_FALSE(IsPlainFileName(L"\\\\SERVER\\SHARE\\PLUGIN.DLL"));
}
