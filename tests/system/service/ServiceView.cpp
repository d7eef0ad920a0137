#include "ServiceView.h"

#include "HostHarness.h"

namespace tvr {

namespace {

// Manager and service handles for one call, closed again at its end.
class CServiceCall
{
public:
    CServiceCall(const std::wstring& _strName, DWORD _dwAccess)
        : m_hManager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT)),
          m_hService(m_hManager ? OpenServiceW(m_hManager, _strName.c_str(), _dwAccess) : nullptr)
    {
    }
    ~CServiceCall()
    {
        if (m_hService)
            CloseServiceHandle(m_hService);
        if (m_hManager)
            CloseServiceHandle(m_hManager);
    }
    CServiceCall(const CServiceCall&) = delete;
    CServiceCall& operator=(const CServiceCall&) = delete;
    SC_HANDLE Service() const { return m_hService; }

private:
    SC_HANDLE m_hManager;
    SC_HANDLE m_hService;
};

template <typename TQuery>
std::vector<BYTE> QuerySized(TQuery _query)
{
    DWORD cbNeeded = 0;
    if (_query(nullptr, 0, &cbNeeded) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
        return {};
    std::vector<BYTE> vecData(cbNeeded);
    if (!_query(vecData.data(), cbNeeded, &cbNeeded))
        return {};
    return vecData;
}

std::wstring TextOf(const wchar_t* _pszText)
{
    return _pszText ? _pszText : L"";
}

} // namespace

bool CServiceView::Exists() const
{
    return CServiceCall(m_strName, SERVICE_QUERY_CONFIG).Service() != nullptr;
}

bool CServiceView::ReadConfig(ServiceConfig* _pConfig) const
{
    CServiceCall call(m_strName, SERVICE_QUERY_CONFIG);
    if (!call.Service())
        return false;
    const std::vector<BYTE> vecConfig = QuerySized([&call](BYTE* _p, DWORD _cb, DWORD* _pcb) {
        return QueryServiceConfigW(call.Service(), reinterpret_cast<QUERY_SERVICE_CONFIGW*>(_p), _cb, _pcb);
    });
    if (vecConfig.empty())
        return false;
    const auto& config = *reinterpret_cast<const QUERY_SERVICE_CONFIGW*>(vecConfig.data());
    _pConfig->dwType = config.dwServiceType;
    _pConfig->dwStartType = config.dwStartType;
    _pConfig->dwErrorControl = config.dwErrorControl;
    _pConfig->strBinaryPath = TextOf(config.lpBinaryPathName);
    _pConfig->strAccount = TextOf(config.lpServiceStartName);
    _pConfig->strDisplayName = TextOf(config.lpDisplayName);
    const std::vector<BYTE> vecDescription = QuerySized([&call](BYTE* _p, DWORD _cb, DWORD* _pcb) {
        return QueryServiceConfig2W(call.Service(), SERVICE_CONFIG_DESCRIPTION, _p, _cb, _pcb);
    });
    if (!vecDescription.empty())
        _pConfig->strDescription = TextOf(reinterpret_cast<const SERVICE_DESCRIPTIONW*>(vecDescription.data())->lpDescription);
    return true;
}

bool CServiceView::Status(SERVICE_STATUS_PROCESS* _pStatus) const
{
    CServiceCall call(m_strName, SERVICE_QUERY_STATUS);
    DWORD cbNeeded = 0;
    return call.Service() && QueryServiceStatusEx(call.Service(), SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(_pStatus),
                                                  sizeof(*_pStatus), &cbNeeded);
}

DWORD CServiceView::State() const
{
    SERVICE_STATUS_PROCESS status = {};
    return Status(&status) ? status.dwCurrentState : 0;
}

bool CServiceView::Start() const
{
    CServiceCall call(m_strName, SERVICE_START);
    return call.Service() && StartServiceW(call.Service(), 0, nullptr);
}

bool CServiceView::Control(DWORD _dwControl, SERVICE_STATUS* _pStatus) const
{
    bool bSent = false;
    DWORD dwError = ERROR_SUCCESS;
    {
        CServiceCall call(m_strName, SERVICE_STOP | SERVICE_PAUSE_CONTINUE | SERVICE_INTERROGATE);
        bSent = call.Service() && ControlService(call.Service(), _dwControl, _pStatus);
        dwError = GetLastError();
    }
    // Closing the handles must not hide why the control failed.
    SetLastError(dwError);
    return bSent;
}

bool CServiceView::WaitForState(DWORD _dwState, DWORD _dwTimeoutMs, std::vector<DWORD>* _pvecSeen) const
{
    const ULONGLONG ullEnd = GetTickCount64() + _dwTimeoutMs;
    for (;;)
    {
        const DWORD dwState = State();
        if (_pvecSeen && (_pvecSeen->empty() || _pvecSeen->back() != dwState))
            _pvecSeen->push_back(dwState);
        if (dwState == _dwState)
            return true;
        if (GetTickCount64() >= ullEnd)
            return false;
        Sleep(2);
    }
}

bool CServiceView::RemoveLeftover() const
{
    if (!Exists())
        return true;
    SERVICE_STATUS status = {};
    if (State() != SERVICE_STOPPED && Control(SERVICE_CONTROL_STOP, &status))
        WaitForState(SERVICE_STOPPED, 15000);
    {
        CServiceCall call(m_strName, DELETE);
        if (call.Service())
            DeleteService(call.Service());
    }
    return WaitUntil([this] { return !Exists(); }, 10000);
}

} // namespace tvr
