// The probe's call log: one UTF-8 line per call, "<module>|<call>|<type>|key=value|...",
// appended and flushed at once so that several copies in one process share one sequence.
// In values and keys, "\" is written as "\\", CR as "\r", LF as "\n" and "|" as "\p".
#pragma once
#include <string>
#include <utility>
#include <vector>

using ProbeFields = std::vector<std::pair<std::wstring, std::wstring>>;

void WriteProbeCall(const wchar_t* _pszCall, const std::wstring& _strType, const ProbeFields& _fields = {});
