// tvrctl trace [--follow] [--level N]: the running host's trace lines from the trace-file
// plug-in's file of the day; --follow shows new lines as they are written, until Ctrl+C,
// the end of the host or of the reader of the output; --level raises the trace level while
// it follows and puts back the level chosen on the trace-file page (0 when none) after.
#pragma once
#include "CtlCommand.h"

int RunTrace(const CtlArgs& _vecArgs);
// The daily trace file of a UTC day in the log folder.
std::wstring TraceFileOfDay(const std::wstring& _strLogFolder, const SYSTEMTIME& _stDay);
