// Load order of a module list from the sort rule text "id;id;...;" (earliest first).
#pragma once
#include <windows.h>
#include <utility>

// The rule every list loads by, set by the host from its settings (none: the file order).
void SetPluginLoadSortRule(const wchar_t* _pszRule);
const wchar_t* GetPluginLoadSortRule();

// Place of the first "<id>;" in the rule (a plain substring search, so "2;" is also
// found inside "12;"); -1, ahead of every place, when the ID does not occur.
int PluginSortPosition(const wchar_t* _pszRule, int _iPluginID);
// Exchanges loaded slots pairwise, for every i and every j != i, whenever the
// lower-numbered slot has the greater position. Empty slots never move. A slot tells
// IsLoaded() and GetPluginID().
template <typename TSlot>
void SortPluginSlots(TSlot* _pSlots, int _iCount, const wchar_t* _pszRule)
{
    for (int i = 0; i < _iCount; ++i)
    {
        for (int j = 0; j < _iCount; ++j)
        {
            if (i == j || !_pSlots[i].IsLoaded() || !_pSlots[j].IsLoaded())
                continue;
            TSlot& lower = _pSlots[i < j ? i : j];
            TSlot& upper = _pSlots[i < j ? j : i];
            if (PluginSortPosition(_pszRule, lower.GetPluginID()) > PluginSortPosition(_pszRule, upper.GetPluginID()))
                std::swap(lower, upper);
        }
    }
}
