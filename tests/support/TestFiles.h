// Files, folders and names of tests: unique names, the test program's folder, removing a
// folder tree, and INI files read and written as the system stores them.
#pragma once
#include <windows.h>
#include <string>

namespace tvr {

// A unique name for files and keys of one test (prefix, process id, counter).
std::wstring UniqueName(const std::wstring& _strPrefix);
// Folder of the running test program, without a trailing backslash.
std::wstring ProgramFolder();
// Removes a folder tree; true when it is gone.
bool RemoveTree(const std::wstring& _strPath);
bool FileExists(const std::wstring& _strPath);
// The help file name the program looks for: its product name without blanks, upper case, ".CHM".
std::wstring HelpFileName(const std::wstring& _strProgram);
// True when the file begins with the UTF-16LE byte-order mark.
bool IsUnicodeFile(const std::wstring& _strPath);
// The text as the file stores it; "<missing>" when the key is not there.
std::wstring ReadRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey);
bool WriteRawIni(const std::wstring& _strFile, const std::wstring& _strSection, const std::wstring& _strKey, const std::wstring& _strValue);
// The trace-file plug-in's daily file name of the UTC day _iDays from today ("Trace_YYYY-MM-DD.log").
std::wstring DailyTraceFileName(int _iDays);

} // namespace tvr
