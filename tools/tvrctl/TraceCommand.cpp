#include "TraceCommand.h"

#include "CtlExit.h"
#include "CtlOutput.h"
#include "HostCommands.h"
#include "TraceSettings.h"
#include "base/Handle.h"
#include "config/RegIniAccess.h"

#include <cstdlib>

namespace {

// How often a follower looks for new lines.
const DWORD FOLLOW_POLL_MS = 250;

HANDLE g_hStop = nullptr;

BOOL WINAPI OnConsoleControl(DWORD _dwControl)
{
    if (_dwControl != CTRL_C_EVENT && _dwControl != CTRL_BREAK_EVENT)
        return FALSE;
    SetEvent(g_hStop);
    return TRUE;
}

// The host's own lines begin "YYYY-MM-DD hh:mm:ss.mmm (  pid:  tid) - "; the file of the
// day is shared by every host of the user, so a line stamped by another process is not
// shown. Lines without the stamp (a plug-in's own text) are.
bool IsOfProcess(const std::string& _strLine, DWORD _dwPid)
{
    const size_t PID_AT = 25;   // behind "YYYY-MM-DD hh:mm:ss.mmm ("
    if (_strLine.size() <= PID_AT || _strLine[4] != '-' || _strLine[PID_AT - 1] != '(')
        return true;
    char* pszEnd = nullptr;
    const unsigned long ulPid = std::strtoul(_strLine.c_str() + PID_AT, &pszEnd, 10);
    return pszEnd == nullptr || *pszEnd != ':' || ulPid == _dwPid;
}

// Reads a growing UTF-8 file from where it was left and hands on the complete lines.
class CTraceReader
{
public:
    CTraceReader(std::wstring _strPath, DWORD _dwPid) : m_strPath(std::move(_strPath)), m_dwPid(_dwPid) {}

    // False when the output is gone.
    bool PrintNewLines()
    {
        const CFileHandle hFile(CreateFileW(m_strPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                            nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER liOffset = {};
        liOffset.QuadPart = m_llOffset;
        if (!hFile || !SetFilePointerEx(hFile.Get(), liOffset, nullptr, FILE_BEGIN))
            return true;
        char achBuffer[65536];
        DWORD cbRead = 0;
        while (ReadFile(hFile.Get(), achBuffer, sizeof(achBuffer), &cbRead, nullptr) && cbRead > 0)
        {
            m_llOffset += cbRead;
            m_strPending.append(achBuffer, cbRead);
            if (!WriteCompleteLines())
                return false;
        }
        return true;
    }

private:
    // Hands on the complete lines read so far; a partial last line waits for its end.
    bool WriteCompleteLines()
    {
        const size_t nEnd = m_strPending.rfind('\n');
        if (nEnd == std::string::npos)
            return true;
        std::string strLines;
        for (size_t nStart = 0; nStart <= nEnd;)
        {
            const size_t nLineEnd = m_strPending.find('\n', nStart);
            const std::string strLine = m_strPending.substr(nStart, nLineEnd + 1 - nStart);
            if (IsOfProcess(strLine, m_dwPid))
                strLines += strLine;
            nStart = nLineEnd + 1;
        }
        m_strPending.erase(0, nEnd + 1);
        return strLines.empty() || WriteOut(FromUtf8(strLines));
    }

    std::wstring m_strPath;
    DWORD m_dwPid;
    LONGLONG m_llOffset = 0;
    std::string m_strPending;
};

bool IsSameDay(const SYSTEMTIME& _st1, const SYSTEMTIME& _st2)
{
    return _st1.wYear == _st2.wYear && _st1.wMonth == _st2.wMonth && _st1.wDay == _st2.wDay;
}

// Follows the day's file, and the next day's from midnight (UTC) on, until a stop.
void Follow(const SHostContext& _host, const std::wstring& _strFolder, SYSTEMTIME _stDay, CTraceReader* _pReader)
{
    const CKernelHandle hProcess(OpenProcess(SYNCHRONIZE, FALSE, _host.dwPid));
    const HANDLE ahWait[] = {g_hStop, hProcess.Get()};
    const DWORD dwHandles = hProcess ? 2 : 1;
    while (WaitForMultipleObjects(dwHandles, ahWait, FALSE, FOLLOW_POLL_MS) == WAIT_TIMEOUT)
    {
        if (!_pReader->PrintNewLines())
            return;
        SYSTEMTIME stNow;
        GetSystemTime(&stNow);
        if (!IsSameDay(stNow, _stDay))
        {
            _stDay = stNow;
            *_pReader = CTraceReader(TraceFileOfDay(_strFolder, _stDay), _host.dwPid);
        }
    }
    _pReader->PrintNewLines();
    if (hProcess && WaitForSingleObject(hProcess.Get(), 0) == WAIT_OBJECT_0)
        WriteError(L"Telvarin has ended.");
}

// The level the trace-file plug-in applies at each start, read where the host keeps that
// plug-in's settings: the registry, the user's configuration folder or beside the plug-in.
int ChosenTraceLevel(const SHostContext& _host)
{
    const std::wstring strPlugin = _host.ProgramFolder() + L"PluginDebug\\PluginDebugLog.dll";
    const std::wstring strConfigFolder = _host.DataFolder(L"CFG");
    CRegIniAccess store;
    store.InitForFiles(0, strPlugin.c_str(), _host.strProgram.c_str(), strConfigFolder.c_str());
    return ParseTraceSettings(store.ReadString(TRACE_SETTINGS_SECTION, TRACE_KEY_LEVEL, 0), nullptr).iLevel;
}

} // namespace

std::wstring TraceFileOfDay(const std::wstring& _strLogFolder, const SYSTEMTIME& _stDay)
{
    return _strLogFolder + Format(L"\\Trace_%04u-%02u-%02u.log", _stDay.wYear, _stDay.wMonth, _stDay.wDay);
}

int RunTrace(const CtlArgs& _vecArgs)
{
    CtlArgs vecArgs = _vecArgs;
    const bool bFollow = TakeSwitch(&vecArgs, L"--follow");
    std::wstring strLevel;
    int iLevel = -1;
    const int iLevelOption = TakeOption(&vecArgs, L"--level", &strLevel);
    if (!vecArgs.empty() || iLevelOption < 0 || (iLevelOption > 0 && (!bFollow || !ParseLevel(strLevel, &iLevel))))
        return UsageOf(L"trace");
    SHostContext host;
    if (!RequireHostWindow(&host))
        return CTL_EXIT_NO_HOST;
    const std::wstring strFolder = host.DataFolder(L"LOG");
    SYSTEMTIME stToday;
    GetSystemTime(&stToday);
    CTraceReader reader(TraceFileOfDay(strFolder, stToday), host.dwPid);
    if (!reader.PrintNewLines() || !bFollow)
        return CTL_EXIT_OK;
    const CKernelHandle hStop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    g_hStop = hStop.Get();
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
    const int iBack = ChosenTraceLevel(host);
    const int iRestore = iBack == TRACE_LEVEL_NONE ? 0 : iBack;
    if (iLevel >= 0 && !SetHostLevel(host.hWnd, iLevel))
        return CTL_EXIT_FAILED;
    if (iLevel >= 0)
        WriteError(Format(L"trace level %d while following; level %d again afterwards. Ctrl+C ends.", iLevel, iRestore));
    Follow(host, strFolder, stToday, &reader);
    if (iLevel >= 0 && IsWindow(host.hWnd) && !SetHostLevel(host.hWnd, iRestore))
        return CTL_EXIT_FAILED;
    return CTL_EXIT_OK;
}
