// Runs a console tool as a user would and collects its exit code and output.
#pragma once
#include <windows.h>

#include <string>

namespace tvr {

struct SToolResult
{
    bool bRan;               // started and ended within the wait
    DWORD dwExitCode;
    std::string strOutput;   // stdout and stderr together
};

// Starts the command line, waits up to _dwWaitMs for its end and reads what it wrote.
SToolResult RunTool(const std::wstring& _strCommandLine, DWORD _dwWaitMs);

} // namespace tvr
