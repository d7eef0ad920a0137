// The plug-in export that runs on the main thread right now. A fault inside plug-in code
// then names the module and the export, in the status report and the trace, beside the
// crash dump.
#pragma once
#include <windows.h>

struct SPluginCall
{
    HMODULE hModule;
    const char* pszExport;
};

// Marks a call into a plug-in export for as long as the scope lives (calls may nest).
class CPluginCallScope
{
public:
    CPluginCallScope(HMODULE _hModule, const char* _pszExport);
    ~CPluginCallScope();
    CPluginCallScope(const CPluginCallScope&) = delete;
    CPluginCallScope& operator=(const CPluginCallScope&) = delete;

private:
    SPluginCall m_Previous;
};

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
// "<module file> <export>" of the call; false when no plug-in code runs.
bool DescribePluginCall(const SPluginCall& _call, wchar_t* _pszOut, size_t _cchOut);
