// Owner of one service control manager handle: closed when the owner goes.
#pragma once
#include <windows.h>

class CScHandle
{
public:
    explicit CScHandle(SC_HANDLE _hHandle = nullptr) : m_hHandle(_hHandle) {}
    ~CScHandle()
    {
        if (m_hHandle)
            CloseServiceHandle(m_hHandle);
    }
    CScHandle(const CScHandle&) = delete;
    CScHandle& operator=(const CScHandle&) = delete;

    SC_HANDLE Get() const { return m_hHandle; }
    explicit operator bool() const { return m_hHandle != nullptr; }

private:
    SC_HANDLE m_hHandle;
};

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
