#include "CallWatch.h"

#include "CheckReport.h"
#include "diag/ExceptionGuard.h"

CCallWatch::CCallWatch(DWORD _dwBoundMs) : m_dwBoundMs(_dwBoundMs), m_hChanged(CreateEventW(nullptr, FALSE, FALSE, nullptr))
{
}

CCallWatch::~CCallWatch()
{
    CloseHandle(m_hChanged);
}

void CCallWatch::Begin(const char* _pszCheck)
{
    m_pszCheck = _pszCheck;
    ++m_lSequence;
    SetEvent(m_hChanged);
}

void CCallWatch::End()
{
    ++m_lSequence;
    SetEvent(m_hChanged);
}

// At the fault: only copies what the exception record says.
LONG CCallWatch::NoteFault(EXCEPTION_POINTERS* _pPointers, void* _pContext)
{
    auto* pFault = static_cast<SFault*>(_pContext);
    pFault->dwCode = _pPointers->ExceptionRecord->ExceptionCode;
    pFault->pAddress = _pPointers->ExceptionRecord->ExceptionAddress;
    return EXCEPTION_EXECUTE_HANDLER;
}

bool CCallWatch::Guard(int (*_pfnBody)(void*), void* _pContext)
{
    int iResult = 0;
    return TryGuarded(_pfnBody, NoteFault, _pContext, &iResult);
}

std::string CCallWatch::DescribeFault(const SFault& _fault)
{
    HMODULE hModule = nullptr;
    char szModule[MAX_PATH] = "";
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(_fault.pAddress), &hModule) &&
        GetModuleFileNameA(hModule, szModule, MAX_PATH) > 0)
    {
        const char* pszName = strrchr(szModule, '\\');
        return Format("exception 0x%08lX at %s+0x%llX", _fault.dwCode, pszName ? pszName + 1 : szModule,
                      static_cast<unsigned long long>(static_cast<const BYTE*>(_fault.pAddress) -
                                                      reinterpret_cast<const BYTE*>(hModule)));
    }
    return Format("exception 0x%08lX at %p", _fault.dwCode, _fault.pAddress);
}

bool CCallWatch::Watch(HANDLE _hThread, std::string* _pstrCheck)
{
    const HANDLE ahWait[] = {_hThread, m_hChanged};
    for (;;)
    {
        const LONG lSequence = m_lSequence;
        if ((lSequence & 1) == 0)
        {
            if (WaitForMultipleObjects(2, ahWait, FALSE, INFINITE) == WAIT_OBJECT_0)
                return true;
            continue;
        }
        const ULONGLONG ullStart = GetTickCount64();
        while (m_lSequence == lSequence)
        {
            const ULONGLONG ullSpent = GetTickCount64() - ullStart;
            if (ullSpent >= m_dwBoundMs)
            {
                *_pstrCheck = m_pszCheck.load();
                return false;
            }
            if (WaitForMultipleObjects(2, ahWait, FALSE, static_cast<DWORD>(m_dwBoundMs - ullSpent)) == WAIT_OBJECT_0)
                return true;
        }
    }
}
