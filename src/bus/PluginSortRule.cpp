#include "bus/PluginSortRule.h"

#include <shlwapi.h>
#include <strsafe.h>

namespace {
const wchar_t* g_pszLoadSortRule = L"";
}   // namespace

void SetPluginLoadSortRule(const wchar_t* _pszRule)
{
    g_pszLoadSortRule = _pszRule ? _pszRule : L"";
}

const wchar_t* GetPluginLoadSortRule()
{
    return g_pszLoadSortRule;
}

int PluginSortPosition(const wchar_t* _pszRule, int _iPluginID)
{
    wchar_t szNeedle[16];
    StringCchPrintfW(szNeedle, ARRAYSIZE(szNeedle), L"%d;", _iPluginID);
    const wchar_t* pszFound = StrStrW(_pszRule, szNeedle);
    return pszFound ? static_cast<int>(pszFound - _pszRule) : -1;
}
