// The plug-in export that runs on the main thread right now. A fault inside plug-in code
// then names the module and the export, in the status report and the trace, beside the
// crash dump.
#pragma once
#include <windows.h>

struct SPluginCall
{
    HMODULE hModule;
    const char* pszExport;
    bool bBusCall;   // the export got a bus message of type uBusType
    UINT uBusType;
    // The plug-in file while the loader maps it and runs its entry point: no module handle
    // exists yet (hModule is null), and the loader lock is held by the loading thread.
    const wchar_t* pszFile;
};

// The text naming a plug-in load where an export name stands for other calls.
extern const char PLUGIN_LOAD_CALL[];

// A call into a plug-in on the watched thread (the host's main thread), as the monitor
// thread sees it.
struct SWatchedCall
{
    SPluginCall call;
    ULONGLONG ullStartTick;   // GetTickCount64 when the call began
    bool bReported;           // reported as hanging: its return is traced
};

// Marks a call into a plug-in export for as long as the scope lives (calls may nest). On the
// watched thread the innermost call is also published for the monitor thread; when a call
// that was reported as hanging returns, a trace line gives its duration and the run no
// longer counts as ending in that plug-in.
class CPluginCallScope
{
public:
    CPluginCallScope(HMODULE _hModule, const char* _pszExport);
    CPluginCallScope(HMODULE _hModule, const char* _pszExport, UINT _uBusType);
    // The load of the plug-in file (LoadLibrary and the entry points it runs).
    explicit CPluginCallScope(const wchar_t* _pszFile);
    ~CPluginCallScope();
    CPluginCallScope(const CPluginCallScope&) = delete;
    CPluginCallScope& operator=(const CPluginCallScope&) = delete;

private:
    void Enter(const SPluginCall& _call);

    SPluginCall m_Previous;
    SWatchedCall m_PreviousWatched = {};
    bool m_bWatched = false;
};

// The calling thread's plug-in calls are published from now on (the main thread, once).
void WatchPluginCallsOfThisThread();
// The watched thread's running call when it has run for at least _dwLimitMs and was not
// reported yet: it is marked reported (so each call is reported once), its plug-in becomes
// the one the run ends in (until the call returns) and it is copied out with its plug-in
// file (empty when unknown). A load's file is copied from the call, without the loader lock
// its loading thread holds.
bool TakeOverdueCall(DWORD _dwLimitMs, SWatchedCall* _pOut, wchar_t* _pszFile, size_t _cchFile);
// Milliseconds until the running call reaches _dwLimitMs (0 when it has); INFINITE when no
// call runs, it was reported already or the limit is 0.
DWORD MsUntilOverdue(DWORD _dwLimitMs);

// Calls a plug-in function inside a scope naming its module and export; the fallback when
// the module lacks the function (null).
template <typename TFunction, typename TResult, typename... TArgs>
TResult CallPluginFunction(HMODULE _hModule, TFunction _pfn, const char* _pszExport, TResult _fallback, TArgs... _args)
{
    if (!_pfn)
        return _fallback;
    CPluginCallScope call(_hModule, _pszExport);
    return _pfn(_args...);
}

// The same for a function without a result: nothing happens when the module lacks it.
template <typename TFunction, typename... TArgs>
void CallPluginProcedure(HMODULE _hModule, TFunction _pfn, const char* _pszExport, TArgs... _args)
{
    if (!_pfn)
        return;
    CPluginCallScope call(_hModule, _pszExport);
    _pfn(_args...);
}

// The running call of this thread; hModule is null when no plug-in code runs.
SPluginCall CurrentPluginCall();
// Where this thread keeps its running call. An exception filter, which must only read
// memory, reads the call through it; the place is taken before the guarded code runs,
// since a thread's first look-up of its own copy may allocate.
const SPluginCall* CurrentPluginCallPlace();
// "<module file> <export>" of the call, followed by " type <n>" for a bus call; false when
// no plug-in code runs. A load is named by its file and PLUGIN_LOAD_CALL.
bool DescribePluginCall(const SPluginCall& _call, wchar_t* _pszOut, size_t _cchOut);
// The same with the file given (empty: "?"); it asks the loader nothing.
void DescribePluginCallOfFile(const SPluginCall& _call, const wchar_t* _pszFile, wchar_t* _pszOut, size_t _cchOut);
