#include "ModulesCommand.h"

#include <tlhelp32.h>

#include <set>

#include "CtlExit.h"
#include "CtlOutput.h"
#include "base/Handle.h"
#include "bus/PluginBase.h"
#include "config/VersionTool.h"

namespace {

// The category folders in the order the host loads them.
const wchar_t* const CATEGORY_FOLDERS[] = {L"PluginDebug", L"PluginSearch", L"PluginSave",
                                           L"PluginInfo",  L"PluginExtra",  L"PluginTelephony"};

std::wstring UpperCase(std::wstring _str)
{
    CharUpperBuffW(&_str[0], static_cast<DWORD>(_str.size()));
    return _str;
}

// Upper-cased paths of the modules loaded in the process; false when they cannot be listed.
bool ListLoadedModules(DWORD _dwPid, std::set<std::wstring>* _pLoaded)
{
    // A failed snapshot is INVALID_HANDLE_VALUE, as for files.
    const CFileHandle hSnapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, _dwPid));
    if (!hSnapshot)
        return false;
    MODULEENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL bMore = Module32FirstW(hSnapshot.Get(), &entry); bMore; bMore = Module32NextW(hSnapshot.Get(), &entry))
        _pLoaded->insert(UpperCase(entry.szExePath));
    return !_pLoaded->empty();
}

} // namespace

std::wstring DescribeModules(const SHostContext& _host)
{
    if (_host.strProgram.empty())
        return L"No program folder: tvrctl looks for Telvarin.exe beside itself.\n";
    std::set<std::wstring> setLoaded;
    const bool bKnown = _host.bRunning && ListLoadedModules(_host.dwPid, &setLoaded);
    std::wstring strText = Format(L"%-16s %-32s %-16s %-16s %s\n", L"Category", L"File", L"Product version", L"File version", L"Loaded");
    int iCount = 0;
    for (const wchar_t* pszCategory : CATEGORY_FOLDERS)
    {
        const std::wstring strFolder = _host.ProgramFolder() + pszCategory + L"\\";
        WIN32_FIND_DATAW found = {};
        const CFindHandle hFind(FindFirstFileW((strFolder + L"Plugin*.DLL").c_str(), &found));
        for (BOOL bMore = static_cast<bool>(hFind); bMore; bMore = FindNextFileW(hFind.Get(), &found))
        {
            if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !HasDllExtension(found.cFileName))
                continue;
            const std::wstring strPath = strFolder + found.cFileName;
            const CVersionTool version(strPath.c_str());
            const wchar_t* pszLoaded = !_host.bRunning ? L"no" : !bKnown ? L"unknown" : setLoaded.count(UpperCase(strPath)) ? L"yes" : L"no";
            strText += Format(L"%-16s %-32s %-16s %-16s %s\n", pszCategory, found.cFileName, version.GetProductVersion(),
                              version.GetFileVersion(), pszLoaded);
            ++iCount;
        }
    }
    strText += Format(L"%d plug-in file(s) in %s", iCount, _host.ProgramFolder().c_str());
    if (!_host.bRunning)
        strText += L"; Telvarin is not running, so none is loaded";
    else if (!bKnown)
        strText += L"; the host's loaded modules cannot be read from this account";
    return strText + L".\n";
}

int RunModules(const CtlArgs& _vecArgs)
{
    if (!_vecArgs.empty())
        return UsageOf(L"modules");
    const SHostContext host = LocateHost();
    WriteOut(DescribeModules(host));
    return host.strProgram.empty() ? CTL_EXIT_FAILED : CTL_EXIT_OK;
}
