#include "bus/PluginSortRule.h"

#include <shlwapi.h>
#include <strsafe.h>
#include <utility>

namespace {
const wchar_t* g_pszLoadSortRule = L"";
} // namespace

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

void SortPluginSlots(PluginSlot* _pSlots, int _iCount, const wchar_t* _pszRule)
{
    for (int i = 0; i < _iCount; ++i)
    {
        for (int j = 0; j < _iCount; ++j)
        {
            if (i == j || !_pSlots[i].hModule || !_pSlots[j].hModule)
                continue;
            PluginSlot& lower = _pSlots[i < j ? i : j];
            PluginSlot& upper = _pSlots[i < j ? j : i];
            if (PluginSortPosition(_pszRule, lower.iPluginID) > PluginSortPosition(_pszRule, upper.iPluginID))
                std::swap(lower, upper);
        }
    }
}
