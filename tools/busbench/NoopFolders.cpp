#include "NoopFolders.h"

#include <windows.h>
#include <string>
#include <vector>

#include "BenchClock.h"

#include "bus/PluginBase.h"

namespace {

CPluginBase* const LISTS[] = {&g_PluginDebug, &g_PluginSearch, &g_PluginSave,
                              &g_PluginInfo,  &g_PluginExtra,  &g_PluginTelephony};

std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH];
    GetModuleFileNameW(nullptr, szPath, MAX_PATH);
    const std::wstring strPath = szPath;
    return strPath.substr(0, strPath.find_last_of(L'\\') + 1);
}

std::wstring CopyName(const std::wstring& _strFolder, int _iIndex)
{
    wchar_t szName[32];
    wsprintfW(szName, L"\\PluginNoop%02d.dll", _iIndex);
    return _strFolder + szName;
}

} // namespace

bool LoadNoopPlugins(int _iCount, double* _pdLoadSeconds, double* _pdRawSeconds)
{
    for (CPluginBase* pList : LISTS)
        pList->UnloadAllModules();
    const std::wstring strProgramFolder = ProgramFolder();
    const std::wstring strSource = strProgramFolder + L"NoopPlugin.dll";
    std::vector<std::wstring> vecCopies;
    for (CPluginBase* pList : LISTS)
    {
        const std::wstring strFolder = strProgramFolder + pList->GetCategory();
        CreateDirectoryW(strFolder.c_str(), nullptr);
        for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
        {
            const std::wstring strCopy = CopyName(strFolder, i);
            if (i >= _iCount)
                DeleteFileW(strCopy.c_str());
            else if (!CopyFileW(strSource.c_str(), strCopy.c_str(), TRUE) && GetLastError() != ERROR_FILE_EXISTS)
                return false;
            else
                vecCopies.push_back(strCopy);
        }
    }
    // The same modules loaded and freed by the loader alone, then by the six lists.
    LARGE_INTEGER liStart = BenchNow();
    std::vector<HMODULE> vecModules;
    for (const std::wstring& strCopy : vecCopies)
        vecModules.push_back(LoadLibraryW(strCopy.c_str()));
    for (HMODULE hModule : vecModules)
        FreeLibrary(hModule);
    if (_pdRawSeconds)
        *_pdRawSeconds = SecondsSince(liStart);
    liStart = BenchNow();
    for (CPluginBase* pList : LISTS)
        pList->LoadAllModules();
    if (_pdLoadSeconds)
        *_pdLoadSeconds = SecondsSince(liStart);
    return true;
}

int CountLoadedModules()
{
    int iLoaded = 0;
    for (const CPluginBase* pList : LISTS)
    {
        for (int i = 0; i < CPluginBase::MAX_SLOTS; ++i)
            iLoaded += pList->GetModuleHandle(i) ? 1 : 0;
    }
    return iLoaded;
}
