// The records the checker hands to DLL_PluginBusProcess: one of every type of the SDK table
// with its fields, unknown types, the longest records, and malformed ones.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

struct STestRecord
{
    UINT uType;
    std::string strWhat;   // how the report names it
    std::wstring strText;
};

// A record of the type with these fields (keyword, value), built as the host builds one.
std::wstring BuildRecord(UINT _uType, const std::vector<std::pair<std::wstring, std::wstring>>& _vecFields);
std::vector<STestRecord> TableTypeRecords();
std::vector<STestRecord> UnknownTypeRecords();
std::vector<STestRecord> LongestRecords();
std::vector<STestRecord> MalformedRecords();
