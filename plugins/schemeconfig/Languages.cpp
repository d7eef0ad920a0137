#include "Languages.h"

#include <windows.h>

#include <algorithm>

namespace {

std::wstring OwnName(HMODULE _hModule)
{
    wchar_t szName[64] = L"";
    LoadStringW(_hModule, LANGUAGE_OWN_NAME_ID, szName, ARRAYSIZE(szName));
    return szName;
}

// The program folder with its trailing backslash.
std::wstring ProgramFolder()
{
    wchar_t szPath[MAX_PATH] = L"";
    const DWORD cchPath = GetModuleFileNameW(nullptr, szPath, ARRAYSIZE(szPath));
    if (cchPath == 0 || cchPath >= ARRAYSIZE(szPath))
        return L"";
    std::wstring strPath = szPath;
    return strPath.substr(0, strPath.find_last_of(L'\\') + 1);
}

// The own name of a module file, read without running any of its code.
std::wstring OwnNameOfFile(const std::wstring& _strFile)
{
    HMODULE hModule = LoadLibraryExW(_strFile.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!hModule)
        return L"";
    const std::wstring strName = OwnName(hModule);
    FreeLibrary(hModule);
    return strName;
}

} // namespace

std::vector<std::wstring> ListLanguageNames()
{
    std::vector<std::wstring> vecNames;
    const std::wstring strResource = ProgramFolder() + L"Resource\\";
    WIN32_FIND_DATAW data;
    HANDLE hFind = FindFirstFileW((strResource + L"*").c_str(), &data);
    if (hFind == INVALID_HANDLE_VALUE)
        return vecNames;
    do
    {
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || data.cFileName[0] == L'.')
            continue;
        const std::wstring strName = OwnNameOfFile(strResource + data.cFileName + L"\\RESOURCE.DLL");
        if (!strName.empty())
            vecNames.push_back(strName);
    } while (FindNextFileW(hFind, &data));
    FindClose(hFind);
    std::sort(vecNames.begin(), vecNames.end());
    vecNames.erase(std::unique(vecNames.begin(), vecNames.end()), vecNames.end());
    return vecNames;
}

std::wstring CurrentLanguageName()
{
    HMODULE hModule = GetModuleHandleW(L"RESOURCE.DLL");
    return hModule ? OwnName(hModule) : L"";
}

bool HostSpeaksGerman()
{
    return CurrentLanguageName() == L"Deutsch";
}
