// Ends the process with exit code 0 when destroyed (static teardown).
#pragma once
#include <windows.h>

class CKillProcess
{
public:
    CKillProcess() = default;
    ~CKillProcess() { TerminateProcess(GetCurrentProcess(), 0); }
};
