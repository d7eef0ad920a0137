// Text output of tvrctl: UTF-16 to a console, UTF-8 to a pipe or file.
#pragma once
#include <windows.h>
#include <string>

// Writes to standard output; false when the output is gone (a closed pipe).
bool WriteOut(const std::wstring& _strText);
// Writes "tvrctl: <text>\n" to standard error.
void WriteError(const std::wstring& _strText);
// printf-style formatting into a string (at most 4095 characters).
std::wstring Format(const wchar_t* _pszFormat, ...);
// "1,234,567" with the thousands grouped.
std::wstring GroupDigits(ULONGLONG _ullValue);
// Text to UTF-8 and back.
std::string ToUtf8(const std::wstring& _strText);
std::wstring FromUtf8(const std::string& _strText);
