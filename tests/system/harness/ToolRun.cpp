#include "ToolRun.h"

namespace tvr {

SToolResult RunTool(const std::wstring& _strCommandLine, DWORD _dwWaitMs)
{
    SToolResult result = {false, 1234, ""};
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    HANDLE hRead = nullptr;
    HANDLE hWrite = nullptr;
    if (!CreatePipe(&hRead, &hWrite, &inherit, 0))
        return result;
    SetHandleInformation(hRead, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdError = hWrite;
    startup.hStdOutput = hWrite;
    std::wstring strCommand = _strCommandLine;
    PROCESS_INFORMATION process = {};
    const bool bStarted =
        CreateProcessW(nullptr, &strCommand[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    CloseHandle(hWrite);
    if (!bStarted)
    {
        CloseHandle(hRead);
        return result;
    }
    // The output is read while the tool runs (it may write more than the pipe holds) and up to
    // the tool's end, not until the pipe closes: a desktop process that Wine starts for the
    // tool's first window call inherits the pipe and keeps it open.
    const ULONGLONG ullDeadline = GetTickCount64() + _dwWaitMs;
    for (;;)
    {
        DWORD cbAvailable = 0;
        char achBuffer[4096];
        DWORD cbRead = 0;
        if (PeekNamedPipe(hRead, nullptr, 0, nullptr, &cbAvailable, nullptr) && cbAvailable > 0 &&
            ReadFile(hRead, achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
        {
            result.strOutput.append(achBuffer, cbRead);
            continue;
        }
        if (result.bRan || GetTickCount64() >= ullDeadline)
            break;
        // Ended: one more pass drains what it wrote last.
        result.bRan = WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0;
    }
    if (!result.bRan || !GetExitCodeProcess(process.hProcess, &result.dwExitCode))
    {
        result.bRan = false;
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    CloseHandle(hRead);
    return result;
}

} // namespace tvr
