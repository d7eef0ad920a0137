#include "ToolRun.h"

#include "Wait.h"

namespace tvr {

CToolProcess::~CToolProcess()
{
    if (m_hProcess != nullptr)
    {
        if (WaitForSingleObject(m_hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(m_hProcess, 1);
        CloseHandle(m_hProcess);
    }
    CloseOutput();
}

bool CToolProcess::Start(const std::wstring& _strCommandLine)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hWrite = nullptr;
    if (!CreatePipe(&m_hRead, &hWrite, &inherit, 0))
        return false;
    SetHandleInformation(m_hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = hWrite;
    startup.hStdOutput = hWrite;
    std::wstring strCommand = _strCommandLine;
    PROCESS_INFORMATION process = {};
    const BOOL bStarted = CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(hWrite);
    if (!bStarted)
        return false;
    CloseHandle(process.hThread);
    m_hProcess = process.hProcess;
    return true;
}

// Reads what is there without blocking, and so up to the tool's end rather than until the
// pipe closes: a desktop process that Wine starts for the tool's first window call inherits
// the pipe and keeps it open after the tool's end. Reading while the tool runs lets it
// write more than the pipe holds.
void CToolProcess::ReadAvailable()
{
    char achBuffer[4096];
    DWORD cbAvailable = 0;
    DWORD cbRead = 0;
    while (m_hRead != nullptr && PeekNamedPipe(m_hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) && cbAvailable > 0 &&
           ReadFile(m_hRead, achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
        m_strOutput.append(achBuffer, cbRead);
}

bool CToolProcess::ReadUntil(const std::string& _strText, DWORD _dwTimeoutMs)
{
    return WaitUntil([&]() {
        ReadAvailable();
        return m_strOutput.find(_strText) != std::string::npos;
    }, _dwTimeoutMs);
}

void CToolProcess::CloseOutput()
{
    if (m_hRead != nullptr)
        CloseHandle(m_hRead);
    m_hRead = nullptr;
}

bool CToolProcess::WaitForExit(DWORD _dwTimeoutMs, DWORD* _pdwExitCode)
{
    const bool bEnded = m_hProcess != nullptr && WaitUntil([&]() {
        ReadAvailable();
        return WaitForSingleObject(m_hProcess, 0) == WAIT_OBJECT_0;
    }, _dwTimeoutMs);
    // Ended: one more pass drains what it wrote last.
    ReadAvailable();
    return bEnded && GetExitCodeProcess(m_hProcess, _pdwExitCode);
}

SToolResult RunTool(const std::wstring& _strCommandLine, DWORD _dwWaitMs)
{
    SToolResult result = {false, 1234, ""};
    CToolProcess tool;
    result.bRan = tool.Start(_strCommandLine) && tool.WaitForExit(_dwWaitMs, &result.dwExitCode);
    result.strOutput = tool.Output();
    return result;
}

} // namespace tvr
