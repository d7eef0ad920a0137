// What the built distribution declares to the system: the program's manifest and the
// version resource of every shipped file.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "config/VersionTool.h"

namespace {

const std::wstring DIST = TVR_DIST_DIR;

std::string ProgramManifest()
{
    const HMODULE hProgram = LoadLibraryExW((DIST + L"\\Telvarin.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!hProgram)
        return "";
    std::string strText;
    if (const HRSRC hInfo = FindResourceW(hProgram, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)))
    {
        const HGLOBAL hData = LoadResource(hProgram, hInfo);
        const char* pszData = hData ? static_cast<const char*>(LockResource(hData)) : nullptr;
        if (pszData)
            strText.assign(pszData, SizeofResource(hProgram, hInfo));
    }
    FreeLibrary(hProgram);
    return strText;
}

// Every .exe and .dll below the folder.
void CollectShippedFiles(const std::wstring& _strFolder, std::vector<std::wstring>& _vecFiles)
{
    WIN32_FIND_DATAW data;
    const HANDLE hFind = FindFirstFileW((_strFolder + L"\\*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return;
    do
    {
        const std::wstring strName = data.cFileName;
        if (strName == L"." || strName == L"..")
            continue;
        const std::wstring strPath = _strFolder + L"\\" + strName;
        const size_t cch = strName.size();
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            CollectShippedFiles(strPath, _vecFiles);
        else if (cch > 4 && (_wcsicmp(strName.c_str() + cch - 4, L".exe") == 0 || _wcsicmp(strName.c_str() + cch - 4, L".dll") == 0))
            _vecFiles.push_back(strPath);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
}

} // namespace

// Run as the invoking user (no virtualisation of its writes beside itself), declared for
// every system version from Vista on, and per-monitor DPI-aware.
TEST(ProgramFile, ManifestDeclaresTheExecutionLevelTheSupportedSystemsAndDpiAwareness)
{
    const std::string strManifest = ProgramManifest();
    ASSERT_FALSE(strManifest.empty());
    const char* const apszElements[] = {
        "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>",
        "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",   // Vista
        "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",   // 7
        "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",   // 8
        "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",   // 8.1
        "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",   // 10 and 11
        ">PerMonitorV2, PerMonitor</dpiAwareness>",
    };
    for (const char* pszElement : apszElements)
        EXPECT_NE(strManifest.find(pszElement), std::string::npos) << pszElement;
}

// The program, the language modules and the shipped plug-ins show one product version.
TEST(ProgramFile, EveryShippedFileCarriesTheProgramsProductVersion)
{
    std::vector<std::wstring> vecFiles;
    CollectShippedFiles(DIST, vecFiles);
    ASSERT_GE(vecFiles.size(), 4u);   // the program, two language modules, the debug plug-in
    const std::wstring strProduct = CVersionTool((DIST + L"\\Telvarin.exe").c_str()).GetProductVersion();
    ASSERT_FALSE(strProduct.empty());
    for (const std::wstring& strFile : vecFiles)
    {
        const CVersionTool version(strFile.c_str());
        EXPECT_EQ(version.GetProductVersion(), strProduct) << std::string(strFile.begin(), strFile.end());
        EXPECT_EQ(version.GetFileVersion(), strProduct) << std::string(strFile.begin(), strFile.end());
        EXPECT_STREQ(version.GetProductName(), L"Telvarin");
    }
}
