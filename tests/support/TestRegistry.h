// Registry keys of tests made read-only for real, through their access list.
#pragma once
#include <windows.h>
#include <string>

namespace tvr {

// Replaces the key's access list by one that lets everyone read it and nothing else, so
// the system refuses every open for writing.
bool AllowOnlyReading(HKEY _hRoot, const std::wstring& _strSubKey);

} // namespace tvr
