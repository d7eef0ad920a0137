#include "bus/PluginCall.h"

#include <strsafe.h>

#include <atomic>

#include "base/ProgramPath.h"
#include "diag/RunEndRecord.h"
#include "diag/Trace.h"

const char PLUGIN_LOAD_CALL[] = "LoadLibrary";

namespace {

thread_local SPluginCall t_Current = {nullptr, nullptr, false, 0, nullptr};

// The watched thread's innermost call; the lock keeps the monitor thread's copy whole.
std::atomic<DWORD> g_dwWatchedThread{0};
SRWLOCK g_WatchLock = SRWLOCK_INIT;
SWatchedCall g_Watched = {};

void TraceReturnAfterHang(const SWatchedCall& _watched)
{
    wchar_t szCall[640];
    if (!DescribePluginCall(_watched.call, szCall, ARRAYSIZE(szCall)))
        return;
    const auto ulMs = static_cast<unsigned long>(GetTickCount64() - _watched.ullStartTick);
    WriteTrace(0, L"Func.PluginCall.Info.Hung plug-in call returned after %lu ms: %s", ulMs, szCall);
}

bool IsRunning(const SPluginCall& _call)
{
    return _call.hModule != nullptr || _call.pszFile != nullptr;
}

// The plug-in file of the call: a load's from the call itself, an export's from its module.
bool CopyCallFile(const SPluginCall& _call, wchar_t* _pszOut, size_t _cchOut)
{
    if (_call.pszFile == nullptr)
        return CopyModulePath(_call.hModule, _pszOut, _cchOut);
    if (SUCCEEDED(StringCchCopyW(_pszOut, _cchOut, _call.pszFile)))
        return true;
    _pszOut[0] = L'\0';
    return false;
}

}   // namespace

CPluginCallScope::CPluginCallScope(HMODULE _hModule, const char* _pszExport) : m_Previous(t_Current)
{
    Enter({_hModule, _pszExport, false, 0, nullptr});
}

CPluginCallScope::CPluginCallScope(const wchar_t* _pszFile) : m_Previous(t_Current)
{
    Enter({nullptr, PLUGIN_LOAD_CALL, false, 0, _pszFile});
}

CPluginCallScope::CPluginCallScope(HMODULE _hModule, const char* _pszExport, UINT _uBusType) : m_Previous(t_Current)
{
    Enter({_hModule, _pszExport, true, _uBusType, nullptr});
}

void CPluginCallScope::Enter(const SPluginCall& _call)
{
    t_Current = _call;
    m_bWatched = GetCurrentThreadId() == g_dwWatchedThread.load(std::memory_order_relaxed);
    if (!m_bWatched)
        return;
    AcquireSRWLockExclusive(&g_WatchLock);
    m_PreviousWatched = g_Watched;
    g_Watched = {_call, GetTickCount64(), false};
    ReleaseSRWLockExclusive(&g_WatchLock);
}

CPluginCallScope::~CPluginCallScope()
{
    t_Current = m_Previous;
    if (!m_bWatched)
        return;
    AcquireSRWLockExclusive(&g_WatchLock);
    const SWatchedCall ended = g_Watched;
    g_Watched = m_PreviousWatched;
    ReleaseSRWLockExclusive(&g_WatchLock);
    if (!ended.bReported)
        return;
    TraceReturnAfterHang(ended);
    ClearRunEnd();
}

void WatchPluginCallsOfThisThread()
{
    g_dwWatchedThread = GetCurrentThreadId();
}

bool TakeOverdueCall(DWORD _dwLimitMs, SWatchedCall* _pOut, wchar_t* _pszFile, size_t _cchFile)
{
    if (_dwLimitMs == 0 || _cchFile == 0)
        return false;
    AcquireSRWLockExclusive(&g_WatchLock);
    const bool bOverdue =
        IsRunning(g_Watched.call) && !g_Watched.bReported && GetTickCount64() - g_Watched.ullStartTick >= _dwLimitMs;
    if (bOverdue)
    {
        g_Watched.bReported = true;
        *_pOut = g_Watched;
        // Under the lock: the load's file lives while its scope does, and a return that
        // comes meanwhile clears the record only after this.
        if (CopyCallFile(g_Watched.call, _pszFile, _cchFile))
            RecordRunEnd(_pszFile, L"hang");
    }
    ReleaseSRWLockExclusive(&g_WatchLock);
    return bOverdue;
}

DWORD MsUntilOverdue(DWORD _dwLimitMs)
{
    if (_dwLimitMs == 0)
        return INFINITE;
    AcquireSRWLockShared(&g_WatchLock);
    const SWatchedCall watched = g_Watched;
    ReleaseSRWLockShared(&g_WatchLock);
    if (!IsRunning(watched.call) || watched.bReported)
        return INFINITE;
    const ULONGLONG ullRun = GetTickCount64() - watched.ullStartTick;
    return ullRun >= _dwLimitMs ? 0 : static_cast<DWORD>(_dwLimitMs - ullRun);
}

SPluginCall CurrentPluginCall()
{
    return t_Current;
}

const SPluginCall* CurrentPluginCallPlace()
{
    return &t_Current;
}

bool DescribePluginCall(const SPluginCall& _call, wchar_t* _pszOut, size_t _cchOut)
{
    if (!IsRunning(_call) || _cchOut == 0)
        return false;
    wchar_t szFile[512] = L"";
    CopyCallFile(_call, szFile, ARRAYSIZE(szFile));
    DescribePluginCallOfFile(_call, szFile, _pszOut, _cchOut);
    return true;
}

void DescribePluginCallOfFile(const SPluginCall& _call, const wchar_t* _pszFile, wchar_t* _pszOut, size_t _cchOut)
{
    if (_cchOut == 0)
        return;
    StringCchPrintfW(_pszOut, _cchOut, L"%s %S", _pszFile[0] != L'\0' ? _pszFile : L"?",
                     _call.pszExport ? _call.pszExport : "?");
    if (_call.bBusCall)
    {
        const size_t cchUsed = wcslen(_pszOut);
        StringCchPrintfW(_pszOut + cchUsed, _cchOut - cchUsed, L" type %u", _call.uBusType);
    }
}
