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

// A started tool whose output (standard output and error together) is read while it runs;
// a follower's output can be closed as a reader that stops would. Killed when still running
// at destruction.
class CToolProcess
{
public:
    CToolProcess() = default;
    ~CToolProcess();
    CToolProcess(const CToolProcess&) = delete;
    CToolProcess& operator=(const CToolProcess&) = delete;

    bool Start(const std::wstring& _strCommandLine);
    // Reads until the output holds the text; false when time ran out first.
    bool ReadUntil(const std::string& _strText, DWORD _dwTimeoutMs);
    // Closes the reading end: the tool's next write fails.
    void CloseOutput();
    // Reads until the end; false when the tool did not end in time.
    bool WaitForExit(DWORD _dwTimeoutMs, DWORD* _pdwExitCode);
    const std::string& Output() const { return m_strOutput; }

private:
    void ReadAvailable();

    HANDLE m_hProcess = nullptr;
    HANDLE m_hRead = nullptr;
    std::string m_strOutput;
};

// Starts the command line, waits up to _dwWaitMs for its end and reads what it wrote.
SToolResult RunTool(const std::wstring& _strCommandLine, DWORD _dwWaitMs);

} // namespace tvr
