// tvrctl run as a user runs it: its output (standard output and error together) read while
// it runs, its exit code; a follower's output can be closed as a reader that stops would.
#pragma once
#include <windows.h>
#include <string>

class CToolProcess
{
public:
    CToolProcess() = default;
    ~CToolProcess();
    CToolProcess(const CToolProcess&) = delete;
    CToolProcess& operator=(const CToolProcess&) = delete;

    bool Start(const std::wstring& _strExe, const std::wstring& _strArgs);
    // Reads until the output holds the text; false when the tool ended or time ran out first.
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

struct ToolResult
{
    bool bRan;
    DWORD dwExitCode;
    std::string strOutput;
};

// Runs the tool to its end.
ToolResult RunTool(const std::wstring& _strExe, const std::wstring& _strArgs);
// Unpacks a cabinet with the system's Cabinet API (FDI) into the folder ("\" in a name
// becomes "_"); the listing gets "name size\n" for each file.
bool UnpackCabinet(const std::wstring& _strCab, const std::wstring& _strFolder, std::string* _pstrListing);
