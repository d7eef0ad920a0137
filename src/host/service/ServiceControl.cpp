// Install, remove, start, control and query the service through the service control manager.
#include "host/service/ServiceControl.h"

#include <strsafe.h>

#include "base/Handle.h"
#include "base/ProgramPath.h"
#include "config/RegTool.h"

// Install, remove, start, control and query the service through the service control manager.
namespace {

const DWORD SERVICE_QUERY_AND_INTERROGATE = SERVICE_QUERY_STATUS | SERVICE_INTERROGATE;   // 132
const DWORD RESTART_DELAY_MS = 60000;
const int STOP_POLLS = 100;
const DWORD STOP_POLL_MS = 100;
const DWORD SETTLE_MS = 2000;
const wchar_t SERVICES_KEY[] = L"SYSTEM\\CurrentControlSet\\Services\\";

// The registry key of a service below HKEY_LOCAL_MACHINE; false when it does not fit.
bool BuildServiceKey(const wchar_t* _pszName, wchar_t (&_szKey)[512])
{
    return SUCCEEDED(StringCchPrintfW(_szKey, ARRAYSIZE(_szKey), L"%s%s", SERVICES_KEY, _pszName));
}

// The manager and one of its services, opened with the given access; the service stays
// closed when the manager cannot be opened.
class CScService
{
public:
    CScService(const wchar_t* _pszName, DWORD _dwManagerAccess, DWORD _dwServiceAccess)
        : m_hManager(OpenSCManagerW(nullptr, nullptr, _dwManagerAccess)),
          m_hService(m_hManager ? OpenServiceW(m_hManager.Get(), _pszName, _dwServiceAccess) : nullptr)
    {
    }
    SC_HANDLE Service() const { return m_hService.Get(); }
    explicit operator bool() const { return static_cast<bool>(m_hService); }

private:
    CScHandle m_hManager;
    CScHandle m_hService;
};

bool HasFolderPart(const wchar_t* _pszPath)
{
    return wcspbrk(_pszPath, L"\\/:") != nullptr;
}

// The binary path as the manager stores it: a bare file name lies in the system folder;
// a path with a blank is quoted so the manager cannot start a program named by its first
// word. False when the path does not fit.
bool BuildBinaryPath(const wchar_t* _pszPath, wchar_t (&_szOut)[512])
{
    wchar_t szPath[512] = L"";
    if (!HasFolderPart(_pszPath))
    {
        const UINT cchSystem = GetSystemDirectoryW(szPath, ARRAYSIZE(szPath));
        if (cchSystem == 0 || cchSystem >= ARRAYSIZE(szPath) || FAILED(StringCchCatW(szPath, ARRAYSIZE(szPath), L"\\")))
            return false;
    }
    if (FAILED(StringCchCatW(szPath, ARRAYSIZE(szPath), _pszPath)))
        return false;
    if (wcschr(szPath, L' ') == nullptr || szPath[0] == L'"')
        return SUCCEEDED(StringCchCopyW(_szOut, ARRAYSIZE(_szOut), szPath));
    return SUCCEEDED(StringCchPrintfW(_szOut, ARRAYSIZE(_szOut), L"\"%s\"", szPath));
}

void SetDescription(SC_HANDLE _hService, const wchar_t* _pszDescription)
{
    SERVICE_DESCRIPTIONW description = {const_cast<LPWSTR>(_pszDescription)};
    ChangeServiceConfig2W(_hService, SERVICE_CONFIG_DESCRIPTION, &description);
}

// Never reset the failure count; restart the service a minute after each failure.
void SetRestartOnFailure(SC_HANDLE _hService)
{
    SC_ACTION action = {SC_ACTION_RESTART, RESTART_DELAY_MS};
    SERVICE_FAILURE_ACTIONSW actions = {};
    actions.dwResetPeriod = INFINITE;
    actions.cActions = 1;
    actions.lpsaActions = &action;
    ChangeServiceConfig2W(_hService, SERVICE_CONFIG_FAILURE_ACTIONS, &actions);
}

bool IsEmpty(const wchar_t* _pszText)
{
    return _pszText == nullptr || _pszText[0] == 0;
}

void WaitUntilStopped(const wchar_t* _pszName)
{
    for (int i = 0; i < STOP_POLLS && QueryServiceState(_pszName) != SERVICE_STOPPED; ++i)
        Sleep(STOP_POLL_MS);
}

}   // namespace

int InstallService(DWORD _dwTypeBits, const wchar_t* _pszName, const wchar_t* _pszPath, DWORD _dwStartType,
                   const wchar_t* _pszDependencies, const wchar_t* _pszDescription, const wchar_t* _pszDisplayName)
{
    wchar_t szBinaryPath[512];
    if (IsEmpty(_pszName) || IsEmpty(_pszPath) || !BuildBinaryPath(_pszPath, szBinaryPath))
        return 0;
    CScHandle hManager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CREATE_SERVICE));
    if (!hManager)
        return 0;
    CScHandle hService(CreateServiceW(hManager.Get(), _pszName, IsEmpty(_pszDisplayName) ? _pszName : _pszDisplayName,
                                      SERVICE_ALL_ACCESS, _dwTypeBits | SERVICE_WIN32_OWN_PROCESS, _dwStartType,
                                      SERVICE_ERROR_NORMAL, szBinaryPath, nullptr, nullptr, _pszDependencies, nullptr,
                                      nullptr));
    if (!hService)
        return 0;
    if (!IsEmpty(_pszDescription))
        SetDescription(hService.Get(), _pszDescription);
    SetRestartOnFailure(hService.Get());
    return 1;
}

BOOL DeleteServiceEntry(const wchar_t* _pszName)
{
    CScService service(_pszName, SC_MANAGER_ALL_ACCESS, DELETE);
    return service ? DeleteService(service.Service()) : FALSE;
}

BOOL StartOrControlService(DWORD _dwControl, const wchar_t* _pszName, DWORD _dwManagerAccess, DWORD _dwServiceAccess)
{
    CScService service(_pszName, _dwManagerAccess, _dwServiceAccess);
    if (!service)
        return FALSE;
    if (_dwControl == 0)
        return StartServiceW(service.Service(), 0, nullptr);
    SERVICE_STATUS status = {};
    return ControlService(service.Service(), _dwControl, &status);
}

namespace {

// The service manager keeps every service it knows under its registry key. A name without
// a key cannot be opened, and saying so costs no connection to the manager (an RPC; about
// 10 ms under Wine, on the start path twice). Any other outcome, a denied read included,
// leaves the answer to the manager.
bool IsUnlistedService(const wchar_t* _pszName)
{
    wchar_t szKey[512];
    if (!BuildServiceKey(_pszName, szKey))
        return false;
    CRegKey key;
    const LSTATUS lStatus = RegOpenKeyExW(HKEY_LOCAL_MACHINE, szKey, 0, KEY_QUERY_VALUE, key.Receive());
    if (lStatus != ERROR_SUCCESS)
        key.Release();
    return lStatus == ERROR_FILE_NOT_FOUND;
}

}   // namespace

int ServiceExists(const wchar_t* _pszName)
{
    if (IsUnlistedService(_pszName))
        return 0;
    CScService service(_pszName, SC_MANAGER_CONNECT, SERVICE_QUERY_CONFIG);
    return service ? 1 : 0;
}

DWORD QueryServiceState(const wchar_t* _pszName)
{
    CScService service(_pszName, SC_MANAGER_CONNECT, SERVICE_QUERY_AND_INTERROGATE);
    SERVICE_STATUS status = {};
    if (!service || !QueryServiceStatus(service.Service(), &status))
        return 0;
    // The interrogate answer is the service's own latest report; a refused interrogate
    // (a stopped service) leaves the queried state.
    SERVICE_STATUS interrogated = {};
    if (ControlService(service.Service(), SERVICE_CONTROL_INTERROGATE, &interrogated))
        status = interrogated;
    return status.dwCurrentState;
}

void RemoveService(const wchar_t* _pszName)
{
    if (!ServiceExists(_pszName))
        return;
    const DWORD dwState = QueryServiceState(_pszName);
    if (dwState != 0 && dwState != SERVICE_STOPPED)
    {
        StartOrControlService(SERVICE_CONTROL_STOP, _pszName, SC_MANAGER_ALL_ACCESS, SERVICE_ALL_ACCESS);
        WaitUntilStopped(_pszName);
        Sleep(SETTLE_MS);
    }
    if (QueryServiceState(_pszName) == SERVICE_STOPPED)
    {
        DeleteServiceEntry(_pszName);
        Sleep(SETTLE_MS);
    }
}

// The program file a service is installed from, as its registry entry names it.
namespace {

const DWORD IMAGE_PATH_LIMIT_BYTES = 511;

wchar_t g_szServiceImagePath[512];

void RemoveQuotes(wchar_t* _pszText)
{
    wchar_t* pszOut = _pszText;
    for (const wchar_t* pszIn = _pszText; *pszIn; ++pszIn)
    {
        if (*pszIn != L'"')
            *pszOut++ = *pszIn;
    }
    *pszOut = 0;
}

bool IsExistingFile(const wchar_t* _pszPath)
{
    const DWORD dwAttributes = GetFileAttributesW(_pszPath);
    return dwAttributes != INVALID_FILE_ATTRIBUTES && (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

void ReadImagePath(const wchar_t* _pszName)
{
    wchar_t szKey[512];
    if (!BuildServiceKey(_pszName, szKey))
        return;
    CRegTool key;
    if (key.Open(HKEY_LOCAL_MACHINE, szKey) != ERROR_SUCCESS)
        return;
    // The buffer holds more than the limit, so the text stays terminated whatever was stored.
    if (ReadRawValue(key.GetKey(), L"ImagePath", g_szServiceImagePath, IMAGE_PATH_LIMIT_BYTES) != ERROR_SUCCESS)
        g_szServiceImagePath[0] = 0;
}

}   // namespace

const wchar_t* GetServiceImagePath(const wchar_t* _pszName)
{
    SecureZeroMemory(g_szServiceImagePath, sizeof(g_szServiceImagePath));
    ReadImagePath(_pszName);
    RemoveQuotes(g_szServiceImagePath);
    if (!IsExistingFile(g_szServiceImagePath))
    {
        CopyModulePath(nullptr, g_szServiceImagePath, ARRAYSIZE(g_szServiceImagePath));
    }
    return g_szServiceImagePath;
}

// Names of the service states for trace lines.
const wchar_t* GetServiceStateName(DWORD _dwState)
{
    static const wchar_t* const s_apszNames[] = {L"STOPPED",          L"START_PENDING", L"STOP_PENDING", L"RUNNING",
                                                 L"CONTINUE_PENDING", L"PAUSE_PENDING", L"PAUSED"};
    // One buffer per thread: the status is reported from the main and the service threads.
    static thread_local wchar_t s_szName[32];
    const bool bKnown = _dwState >= SERVICE_STOPPED && _dwState <= SERVICE_PAUSED;
    StringCchCopyW(s_szName, ARRAYSIZE(s_szName), bKnown ? s_apszNames[_dwState - 1] : L"UNKNOWN");
    return s_szName;
}
