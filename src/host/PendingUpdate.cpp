// Update hand-over: a downloaded updater waits as XDOWNLOAD.EX_ until the host starts again.
#include "host/ServiceWindow.h"

#include "base/ProgramPath.h"

void CompletePendingUpdate()
{
    wchar_t szPending[MAX_PATH];
    wchar_t szTarget[MAX_PATH];
    if (!BuildProgramPath(L"XDOWNLOAD.EX_", szPending, MAX_PATH) ||
        !BuildProgramPath(L"XDOWNLOAD.EXE", szTarget, MAX_PATH))
        return;
    if (GetFileAttributesW(szPending) == INVALID_FILE_ATTRIBUTES)
        return;
    // Only a completed copy lets the pending file go; otherwise the next start tries again.
    if (!CopyFileW(szPending, szTarget, FALSE))
        return;
    Sleep(25);
    DeleteFileW(szPending);
}
