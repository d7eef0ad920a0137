// Load order of a module list from the sort rule text "id;id;...;" (earliest first).
#pragma once
#include "bus/PluginBase.h"

// The rule every list loads by, set by the host from its settings (none: the file order).
void SetPluginLoadSortRule(const wchar_t* _pszRule);
const wchar_t* GetPluginLoadSortRule();

// Place of the first "<id>;" in the rule (a plain substring search, so "2;" is also
// found inside "12;"); -1, ahead of every place, when the ID does not occur.
int PluginSortPosition(const wchar_t* _pszRule, int _iPluginID);
// Exchanges loaded slots pairwise, for every i and every j != i, whenever the
// lower-numbered slot has the greater position. Empty slots never move.
void SortPluginSlots(PluginSlot* _pSlots, int _iCount, const wchar_t* _pszRule);
