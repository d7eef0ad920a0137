// Removal of old daily trace files: of the files named "Trace_YYYY-MM-DD.log" in a folder,
// those whose day lies more than (keep-days - 1) days before today are deleted. Today's file
// and files of later days are never deleted, nor any file of another name.
#pragma once
#include <windows.h>
#include <string>

// The day of a daily file's name as a day number; false when the name is not exactly
// "Trace_YYYY-MM-DD.log" with a real date (any case).
bool DayOfDailyFile(const wchar_t* _pszName, LONGLONG* _pllDay);
// Day number of a date (days since 1601-01-01).
LONGLONG DayNumber(const SYSTEMTIME& _stDate);
// Deletes the old files; returns how many went.
int DeleteOldDailyFiles(const std::wstring& _strFolder, int _iKeepDays, const SYSTEMTIME& _stToday);
