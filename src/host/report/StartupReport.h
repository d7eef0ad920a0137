// The start-up report: program and helper file versions, system information, dialling
// location and telephony providers.
#pragma once
#include <windows.h>

#include "config/VersionTool.h"

// The start-up report written into the trace while the main window object is constructed.
// Reads now the facts the reports below write (machine, system version and checks,
// dialling location, the program's helper files), so that the start can read them while it
// waits; the reports use them instead of reading them again, until PrintSystemInfoFile, the
// last of them, lets them go. A report written without them reads them itself.
void GatherReportFacts();
// The report lines of construction step 8, in their order.
void WriteStartupReport();
// Traces the versions of the program's helper files (help program, language modules) that
// the program folder holds, each between its begin and end lines.
void PrintSubPrograms();
void PrintSystemInfoFile();
// The report's lines of the telephony service providers listed below _hRoot, at most 256.
void TraceProviders(HKEY _hRoot, const wchar_t* _pszSystemDir);

// The dialling location below _hRoot: "<id>;<Country>;<Flags>;<AreaCode>;..." (cut to
// _cchOut - 1). Returns false when the location's key cannot be opened; *_pdwCurrentId
// holds the current location id (0 when the locations key is missing) in both cases.
bool ReadDialingLocation(HKEY _hRoot, wchar_t* _pszOut, size_t _cchOut, DWORD* _pdwCurrentId);

// The program file's version texts, read once on first use (constructor step 4).
const CVersionTool& ProgramVersion();
