// Record texts as another process hands them to the host through WM_SETTEXT.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "FuzzRandom.h"

typedef std::vector<std::pair<std::wstring, std::wstring>> RecordFields;

// Header, Type, the fields in order, footer.
std::wstring MakeRecordText(const std::wstring& _strType, const RecordFields& _vecFields);
std::wstring MakeRecordText(unsigned long long _ullType, const RecordFields& _vecFields);
// A few fields with keywords of the record format (or random ones) and random values.
RecordFields RandomFields(CFuzzRandom& _Random);
// A bus type for a record: 0 .. 100 mostly, else any 32-bit number; never the exit type.
unsigned long long RandomBusType(CFuzzRandom& _Random);
