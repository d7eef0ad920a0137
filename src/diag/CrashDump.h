// Minidump of the host process after an exception; always returns EXCEPTION_EXECUTE_HANDLER.
#pragma once
#include <windows.h>

LONG WriteCrashDump(EXCEPTION_POINTERS* _pExceptionPointers, DWORD _dwDumpType);
// Name of the dump file for the program file and a local time.
void BuildCrashDumpName(const wchar_t* _pszProgramFile, const SYSTEMTIME& _Time, wchar_t* _pszOut, size_t _cchOut);
