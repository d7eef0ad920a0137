// The start-up report: program and helper file versions, system information, dialling
// location and telephony providers.
#pragma once
#include <windows.h>

#include "config/VersionTool.h"

// The start-up report written into the trace while the main window object is constructed.
// The report lines of construction step 8, in their order.
void WriteStartupReport();
// Traces the versions of one file of the program folder when it exists.
void PrintSubProgram(const wchar_t* _pszModule);
void PrintSystemInfoFile();
// The report's lines of the telephony service providers listed below _hRoot, at most 256.
void TraceProviders(HKEY _hRoot, const wchar_t* _pszSystemDir);

// The dialling location below _hRoot: "<id>;<Country>;<Flags>;<AreaCode>;..." (cut to
// _cchOut - 1). Returns false when the location's key cannot be opened; *_pdwCurrentId
// holds the current location id (0 when the locations key is missing) in both cases.
bool ReadDialingLocation(HKEY _hRoot, wchar_t* _pszOut, size_t _cchOut, DWORD* _pdwCurrentId);

// The program file's version texts, read once on first use (constructor step 4).
const CVersionTool& ProgramVersion();
