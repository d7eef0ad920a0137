#include "StatusCommand.h"

#include "CtlExit.h"
#include "CtlOutput.h"
#include "config/VersionTool.h"

namespace {

struct SReportEntry
{
    std::wstring strValue;
    std::wstring strTime;
    DWORD dwPid = 0;
};

SReportEntry ReadEntry(const std::wstring& _strReport, const wchar_t* _pszSection, const wchar_t* _pszKey)
{
    SReportEntry entry;
    wchar_t szText[512] = L"";
    GetPrivateProfileStringW(_pszSection, _pszKey, L"", szText, ARRAYSIZE(szText), _strReport.c_str());
    entry.strValue = szText;
    GetPrivateProfileStringW(_pszSection, L"Time", L"", szText, ARRAYSIZE(szText), _strReport.c_str());
    entry.strTime = szText;
    entry.dwPid = GetPrivateProfileIntW(_pszSection, L"ProcID", 0, _strReport.c_str());
    return entry;
}

std::wstring DescribeEntry(const wchar_t* _pszLabel, const SReportEntry& _entry, const SHostContext& _host)
{
    if (_entry.strValue.empty())
        return Format(L"%-12s (none recorded)\n", _pszLabel);
    std::wstring strLine = Format(L"%-12s %s (%s", _pszLabel, _entry.strValue.c_str(), _entry.strTime.c_str());
    if (_host.bRunning && _entry.dwPid != _host.dwPid)
        strLine += Format(L", from an earlier run, process %lu", _entry.dwPid);
    return strLine + L")\n";
}

} // namespace

std::wstring DescribeStatus(const SHostContext& _host, int* _piExit)
{
    std::wstring strText;
    if (_host.bRunning)
        strText = Format(L"Telvarin is running: process %lu, %s.\n", _host.dwPid, _host.bService ? L"service mode" : L"tray mode");
    else
        strText = L"Telvarin is not running.\n";
    if (_host.strProgram.empty())
    {
        *_piExit = _host.bRunning ? CTL_EXIT_NOT_OK : CTL_EXIT_NO_HOST;
        return strText + L"Program:     not found (tvrctl looks for Telvarin.exe beside itself)\n";
    }
    const CVersionTool version(_host.strProgram.c_str());
    strText += Format(L"%-12s %s (version %s)\n", L"Program:", _host.strProgram.c_str(), version.GetProductVersion());
    const std::wstring strReport = _host.DataFolder(L"LOG") + L"\\StatusReport.ini";
    const SReportEntry status = ReadEntry(strReport, L"ProgramStatus", L"Status");
    strText += DescribeEntry(L"Status:", status, _host);
    strText += DescribeEntry(L"Last error:", ReadEntry(strReport, L"LastError", L"Error"), _host);
    strText += Format(L"%-12s %s\n", L"Report:", strReport.c_str());
    if (!_host.bRunning)
        *_piExit = CTL_EXIT_NO_HOST;
    else
        *_piExit = status.strValue == L"OK" && status.dwPid == _host.dwPid ? CTL_EXIT_OK : CTL_EXIT_NOT_OK;
    return strText;
}

int RunStatus(const CtlArgs& _vecArgs)
{
    if (!_vecArgs.empty())
        return UsageOf(L"status");
    int iExit = CTL_EXIT_OK;
    WriteOut(DescribeStatus(LocateHost(), &iExit));
    return iExit;
}
