// The service "Telvarin" seen through the service control manager, as `sc` sees it.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace tvr {

struct ServiceConfig
{
    DWORD dwType = 0;
    DWORD dwStartType = 0;
    DWORD dwErrorControl = 0;
    std::wstring strBinaryPath;
    std::wstring strAccount;
    std::wstring strDisplayName;
    std::wstring strDescription;
};

class CServiceView
{
public:
    explicit CServiceView(const wchar_t* _pszName) : m_strName(_pszName) {}

    bool Exists() const;
    bool ReadConfig(ServiceConfig* _pConfig) const;
    // Current status; false when the service cannot be queried.
    bool Status(SERVICE_STATUS_PROCESS* _pStatus) const;
    DWORD State() const;
    bool Start() const;
    // Sends the control; the status the service manager returns for it.
    bool Control(DWORD _dwControl, SERVICE_STATUS* _pStatus) const;
    // Polls the state until it is _dwState; the distinct states seen on the way, in order.
    bool WaitForState(DWORD _dwState, DWORD _dwTimeoutMs, std::vector<DWORD>* _pvecSeen = nullptr) const;
    // Stops (when needed) and deletes the service; true when it is gone.
    bool RemoveLeftover() const;

private:
    std::wstring m_strName;
};

} // namespace tvr
