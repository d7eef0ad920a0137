#include "bus/PluginCall.h"

#include <strsafe.h>

#include "base/ProgramPath.h"

namespace {

thread_local SPluginCall t_Current = {nullptr, nullptr};

} // namespace

CPluginCallScope::CPluginCallScope(HMODULE _hModule, const char* _pszExport) : m_Previous(t_Current)
{
    t_Current = {_hModule, _pszExport};
}

CPluginCallScope::~CPluginCallScope()
{
    t_Current = m_Previous;
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
    if (_call.hModule == nullptr || _cchOut == 0)
        return false;
    wchar_t szFile[512] = L"";
    if (!CopyModulePath(_call.hModule, szFile, ARRAYSIZE(szFile)))
        StringCchCopyW(szFile, ARRAYSIZE(szFile), L"?");
    StringCchPrintfW(_pszOut, _cchOut, L"%s %S", szFile, _call.pszExport ? _call.pszExport : "?");
    return true;
}
