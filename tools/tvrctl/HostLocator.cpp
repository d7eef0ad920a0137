#include "HostLocator.h"

#include "TelvarinPlugin.h"
#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "config/ConfigPath.h"
#include "config/UserDataFolder.h"
#include "config/VersionTool.h"
#include "host/entry/StartMode.h"
#include "host/service/ServiceControl.h"

namespace {

const wchar_t HOST_PROGRAM_NAME[] = L"Telvarin.exe";

std::wstring ProgramBesideTool()
{
    std::wstring strPath = GetProgramFolder() + HOST_PROGRAM_NAME;
    return FileExists(strPath.c_str()) ? strPath : std::wstring();
}

std::wstring CurrentUserName()
{
    wchar_t szUser[256] = L"";
    DWORD cchUser = ARRAYSIZE(szUser);
    return GetUserNameW(szUser, &cchUser) ? szUser : L"";
}

} // namespace

DWORD RunningServicePid()
{
    const CScHandle hManager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
    const CScHandle hService(hManager ? OpenServiceW(hManager.Get(), TVR_SERVICE_NAME, SERVICE_QUERY_STATUS) : nullptr);
    SERVICE_STATUS_PROCESS status = {};
    DWORD cbNeeded = 0;
    if (!hService || !QueryServiceStatusEx(hService.Get(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                                           sizeof(status), &cbNeeded))
        return 0;
    return status.dwCurrentState == SERVICE_STOPPED ? 0 : status.dwProcessId;
}

std::wstring ProcessImagePath(DWORD _dwPid)
{
    const CKernelHandle hProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, _dwPid));
    wchar_t szPath[MAX_PATH * 2] = L"";
    DWORD cchPath = ARRAYSIZE(szPath);
    if (!hProcess || !QueryFullProcessImageNameW(hProcess.Get(), 0, szPath, &cchPath))
        return L"";
    return szPath;
}

SHostContext LocateHost()
{
    SHostContext host;
    host.hWnd = FindHostWindow(GetDesktopWindow(), HOST_WINDOW_ID);
    if (host.hWnd != nullptr)
        GetWindowThreadProcessId(host.hWnd, &host.dwPid);
    const DWORD dwServicePid = RunningServicePid();
    if (dwServicePid != 0 && (host.hWnd == nullptr || host.dwPid == dwServicePid))
    {
        host.bService = true;
        host.dwPid = dwServicePid;
    }
    host.bRunning = host.dwPid != 0;
    if (host.bRunning)
        host.strProgram = ProcessImagePath(host.dwPid);
    if (host.strProgram.empty())
        host.strProgram = ProgramBesideTool();
    return host;
}

std::wstring SHostContext::DataFolder(const wchar_t* _pszSub) const
{
    if (strProgram.empty())
        return L"";
    const CVersionTool version(strProgram.c_str());
    const std::wstring strUser = bService ? L"SYSTEM" : CurrentUserName();
    const SUserDataSource source = {strUser.c_str(), strProgram.c_str(), version.GetProductName(), version.GetFileDescription()};
    wchar_t szFolder[MAX_PATH * 2] = L"";
    BuildUserDataFolder(source, _pszSub, szFolder, ARRAYSIZE(szFolder));
    return szFolder;
}

std::wstring SHostContext::ProgramFolder() const
{
    if (strProgram.empty())
        return L"";
    wchar_t szFolder[MAX_PATH * 2] = L"";
    CopyFolderOf(strProgram.c_str(), szFolder, ARRAYSIZE(szFolder));
    return szFolder;
}
