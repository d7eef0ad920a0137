// entry/StartMode
#include "host/entry/StartMode.h"

#include <cwchar>
#include <unordered_set>
#include <vector>
#include <psapi.h>
#include <winternl.h>
#include <strsafe.h>

#include "TelvarinPlugin.h"
#include "base/Handle.h"
#include "base/SecurityAttributes.h"
#include "bus/BusRecord.h"
#include "config/RegTool.h"
#include "config/ResourceAccess.h"
#include "config/RunMode.h"
#include "host/service/ServiceControl.h"
#include "host/service/ServiceSide.h"
#include "ui/QelMessageBox.h"

namespace {

const UINT HANDOVER_WAIT_MS = 2000;
// How long the running host may take to pick the record up. A host that reads no messages is
// given up at once (SMTO_ABORTIFHUNG); a merely busy one, as on a loaded machine, still gets
// the record, which the system withdraws when the time runs out.
const UINT HANDOVER_SEND_TIMEOUT_MS = 10000;

// Handle of the service mode's dispatcher thread, which gets this variable's address and
// closes the handle when the dispatcher returns.
HANDLE s_hServiceThread = nullptr;

// Account name of the process's token user; false when it cannot be had.
bool GetProcessAccountName(HANDLE _hProcess, wchar_t (&_szName)[128])
{
    CKernelHandle hToken;
    if (!OpenProcessToken(_hProcess, TOKEN_QUERY, hToken.Receive()))
        return false;
    DWORD cbNeeded = 0;
    GetTokenInformation(hToken.Get(), TokenUser, nullptr, 0, &cbNeeded);
    if (cbNeeded == 0)
        return false;
    std::vector<BYTE> vecUser(cbNeeded);
    if (!GetTokenInformation(hToken.Get(), TokenUser, vecUser.data(), cbNeeded, &cbNeeded))
        return false;
    wchar_t szDomain[128];
    DWORD cchName = 128;
    DWORD cchDomain = 128;
    SID_NAME_USE eUse;
    return LookupAccountSidW(nullptr, reinterpret_cast<TOKEN_USER*>(vecUser.data())->User.Sid, _szName, &cchName,
                             szDomain, &cchDomain, &eUse) != FALSE;
}

// True when the process runs this program file under the given account name.
bool IsInstanceOfUser(DWORD _dwProcessId, const wchar_t* _pszUpperProgram, const wchar_t* _pszUser)
{
    const CKernelHandle hProcess(OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, _dwProcessId));
    if (!hProcess)
        return false;
    wchar_t szModule[512] = L"";
    if (GetModuleFileNameExW(hProcess.Get(), nullptr, szModule, 512) == 0 || szModule[0] == 0)
        return false;
    CharUpperW(szModule);
    if (wcsstr(szModule, _pszUpperProgram) == nullptr)
        return false;
    wchar_t szAccount[128] = L"";
    return GetProcessAccountName(hProcess.Get(), szAccount) && lstrcmpiW(szAccount, _pszUser) == 0;
}

bool HasIdentifier(HWND _hWnd, DWORD _dwIdentifier)
{
    return GetWindowLongPtrW(_hWnd, GWLP_USERDATA) == static_cast<LONG_PTR>(_dwIdentifier);
}

DWORD ProcessOfWindow(HWND _hWnd)
{
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(_hWnd, &dwProcessId);
    return dwProcessId;
}

// True when the process's image path contains the upper-cased program file, as the instance
// count has it. Limited query rights suffice, so a service's process is recognised too.
bool RunsProgramFile(DWORD _dwProcessId, const wchar_t* _pszUpperProgram)
{
    const CKernelHandle hProcess(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, _dwProcessId));
    wchar_t szImage[512] = L"";
    DWORD cchImage = ARRAYSIZE(szImage);
    if (!hProcess || !QueryFullProcessImageNameW(hProcess.Get(), 0, szImage, &cchImage))
        return false;
    CharUpperW(szImage);
    return wcsstr(szImage, _pszUpperProgram) != nullptr;
}

struct SHostWindowSearch
{
    DWORD dwIdentifier;
    DWORD dwExcludedProcess;          // 0 accepts windows of every process
    const wchar_t* pszUpperProgram;   // null accepts windows of every program file
    HWND hFound;
};

bool IsSoughtWindow(HWND _hWnd, const SHostWindowSearch& _search)
{
    if (!HasIdentifier(_hWnd, _search.dwIdentifier))
        return false;
    if (_search.dwExcludedProcess == 0)
        return true;
    const DWORD dwProcessId = ProcessOfWindow(_hWnd);
    return dwProcessId != _search.dwExcludedProcess &&
           (_search.pszUpperProgram == nullptr || RunsProgramFile(dwProcessId, _search.pszUpperProgram));
}

BOOL CALLBACK MatchHostWindow(HWND _hWnd, LPARAM _lSearch)
{
    auto* pSearch = reinterpret_cast<SHostWindowSearch*>(_lSearch);
    if (!IsSoughtWindow(_hWnd, *pSearch))
        return TRUE;
    pSearch->hFound = _hWnd;
    return FALSE;
}

// Depth-first search of the window and its descendants. The system enumerates them from a
// list taken at the start: a walk from window to window would end early at a window that
// another process destroys meanwhile, and miss every window behind it.
HWND SearchHostWindow(HWND _hWnd, DWORD _dwIdentifier, DWORD _dwExcludedProcess,
                      const wchar_t* _pszUpperProgram = nullptr)
{
    SHostWindowSearch search = {_dwIdentifier, _dwExcludedProcess, _pszUpperProgram, nullptr};
    if (IsSoughtWindow(_hWnd, search))
        return _hWnd;
    EnumChildWindows(_hWnd, MatchHostWindow, reinterpret_cast<LPARAM>(&search));
    return search.hFound;
}

// The system's process list with each process's image name. One call: a process snapshot
// reads the same list and then maps a copy of it once per entry.
std::vector<BYTE> QueryProcessList()
{
    const NTSTATUS STATUS_LENGTH_MISMATCH = static_cast<NTSTATUS>(0xC0000004L);
    ULONG cbList = 64 * 1024;
    for (int iTry = 0; iTry < 4; ++iTry)
    {
        std::vector<BYTE> vecList(cbList);
        ULONG cbNeeded = 0;
        const NTSTATUS status = NtQuerySystemInformation(SystemProcessInformation, vecList.data(), cbList, &cbNeeded);
        if (status >= 0)
            return vecList;
        if (status != STATUS_LENGTH_MISMATCH)
            break;
        // Processes may start meanwhile: room for some more.
        cbList = (cbNeeded > cbList ? cbNeeded : cbList) + 16 * 1024;
    }
    return {};
}

// True when the image name begins with the upper-cased file name.
bool NameBeginsWith(const UNICODE_STRING& _name, const wchar_t* _pszUpperFileName, size_t _cchFileName)
{
    wchar_t szName[512];
    const size_t cchName = _name.Buffer != nullptr ? _name.Length / sizeof(wchar_t) : 0;
    if (_cchFileName >= ARRAYSIZE(szName))
        return true;   // cannot be compared here: the process is checked in full
    if (cchName < _cchFileName)
        return false;
    wmemcpy(szName, _name.Buffer, _cchFileName);
    CharUpperBuffW(szName, static_cast<DWORD>(_cchFileName));
    return wmemcmp(szName, _pszUpperFileName, _cchFileName) == 0;
}

// The processes whose file cannot be the program. A process whose main module's path
// contains the program's full path has a file name that begins with the program's file
// name, so one list of the process names spares opening and reading every other process
// (several calls to the system each). Empty when the list cannot be had or the program has
// no folder part; a process missing from it is checked in full.
std::unordered_set<DWORD> ProcessesOfOtherPrograms(const wchar_t* _pszUpperProgram)
{
    std::unordered_set<DWORD> setOthers;
    const wchar_t* pszBackslash = wcsrchr(_pszUpperProgram, L'\\');
    if (pszBackslash == nullptr)
        return setOthers;
    const wchar_t* pszFileName = pszBackslash + 1;
    const size_t cchFileName = wcslen(pszFileName);
    const std::vector<BYTE> vecList = QueryProcessList();
    for (size_t offset = 0; offset + sizeof(SYSTEM_PROCESS_INFORMATION) <= vecList.size();)
    {
        const auto* pEntry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(vecList.data() + offset);
        if (!NameBeginsWith(pEntry->ImageName, pszFileName, cchFileName))
            setOthers.insert(static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(pEntry->UniqueProcessId)));
        if (pEntry->NextEntryOffset == 0)
            break;
        offset += pEntry->NextEntryOffset;
    }
    return setOthers;
}

// Upper-cased copy bounded to 511 characters.
void CopyUpper(const wchar_t* _pszText, wchar_t (&_szOut)[512])
{
    StringCchCopyW(_szOut, 512, _pszText);
    CharUpperW(_szOut);
}

}   // namespace

int CountInstances(const wchar_t* _pszProgramFile)
{
    wchar_t szUser[128] = L"";
    DWORD cchUser = 128;
    GetUserNameW(szUser, &cchUser);
    std::vector<DWORD> vecIds(2048);
    DWORD cbReturned = 0;
    if (!EnumProcesses(vecIds.data(), static_cast<DWORD>(vecIds.size() * sizeof(DWORD)), &cbReturned))
        return 0;
    wchar_t szUpperProgram[512];
    CopyUpper(_pszProgramFile, szUpperProgram);
    const std::unordered_set<DWORD> setOthers = ProcessesOfOtherPrograms(szUpperProgram);
    int iCount = 0;
    for (DWORD i = 0; i < cbReturned / sizeof(DWORD); ++i)
        if (setOthers.count(vecIds[i]) == 0 && IsInstanceOfUser(vecIds[i], szUpperProgram, szUser))
            ++iCount;
    return iCount;
}

HWND FindHostWindow(HWND _hWndStart, DWORD _dwIdentifier)
{
    return SearchHostWindow(_hWndStart, _dwIdentifier, 0);
}

HWND FindForeignHostWindow(HWND _hWndStart, DWORD _dwIdentifier, DWORD _dwProcessId)
{
    return SearchHostWindow(_hWndStart, _dwIdentifier, _dwProcessId);
}

HWND FindProgramHostWindow(HWND _hWndStart, DWORD _dwIdentifier, const wchar_t* _pszProgramFile)
{
    // Hosts of other install folders may run beside this one (and other tests' hosts do);
    // the record goes to an instance of this program file. When none of the host windows can
    // be told to be one (a process that does not let itself be queried), the first other
    // host's window is taken, as before.
    wchar_t szUpperProgram[512];
    CopyUpper(_pszProgramFile, szUpperProgram);
    const DWORD dwOwnProcess = GetCurrentProcessId();
    if (HWND hWndHost = SearchHostWindow(_hWndStart, _dwIdentifier, dwOwnProcess, szUpperProgram))
        return hWndHost;
    return FindForeignHostWindow(_hWndStart, _dwIdentifier, dwOwnProcess);
}

StartDecision DecideTrayStart(const wchar_t* _pszProgramFile)
{
    if (CountInstances(_pszProgramFile) > 1)
        return START_HANDOVER;
    if (!ServiceExists(TVR_SERVICE_NAME))
        return START_RUN;
    wchar_t szImage[512];
    wchar_t szProgram[512];
    CopyUpper(GetServiceImagePath(TVR_SERVICE_NAME), szImage);
    CopyUpper(_pszProgramFile, szProgram);
    if (wcscmp(szImage, szProgram) != 0)
        return START_RUN;
    const DWORD dwState = QueryServiceState(TVR_SERVICE_NAME);
    return (dwState == 0 || dwState == SERVICE_STOPPED) ? START_REFUSE : START_HANDOVER;
}

void HandOverToRunningHost(const wchar_t* _pszProgramFile)
{
    // A memory block of this process would mean nothing in the running host: the record
    // crosses as window text, and a hung host cannot hold this start up.
    HWND hWndHost = FindProgramHostWindow(GetDesktopWindow(), HOST_WINDOW_ID, _pszProgramFile);
    if (hWndHost != nullptr)
        SendShowConfigText(hWndHost, 0, HANDOVER_SEND_TIMEOUT_MS);
    Sleep(HANDOVER_WAIT_MS);
}

void RefuseToRun()
{
    if (GetRunningState() != 0)
        return;
    // Copied at once: the lookup buffer is shared with every later lookup.
    wchar_t szText[1024];
    StringCchCopyW(szText, ARRAYSIZE(szText),
                   g_ResourceAccess.GetString(1029, L"This program will be closed. It should be run as a service."));
    g_MessageBox.ShowMessageBox(nullptr, szText, nullptr, MB_ICONERROR | MB_OK);
}

bool StartServiceMode()
{
    g_dwServiceMode = 1;
    DWORD dwThreadId = 0;
    s_hServiceThread = CreateThread(GetNullDaclAttributes(), 0, ServiceThread, &s_hServiceThread, 0, &dwThreadId);
    return s_hServiceThread != nullptr;
}
