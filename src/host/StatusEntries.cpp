// Status report entries of the main window; values are stored verbatim, never as formats.
#include "host/ServiceWindow.h"

#include "TelvarinPlugin.h"
#include "diag/StatusLog.h"

void CServiceWindow::LogLastError(const wchar_t* _pszText)
{
    g_StatusLog.WriteStatus(L"LastError", L"Error", L"%s", _pszText ? _pszText : L"");
}

void CServiceWindow::LogProgramStatus(const wchar_t* _pszText)
{
    g_StatusLog.WriteStatus(L"ProgramStatus", L"Status", L"%s", _pszText ? _pszText : L"");
}

void CServiceWindow::LogProgramMessage(const wchar_t* _pszRecord)
{
    static const wchar_t* const s_apszKeys[] = {L"Type", L"Command", L"Partner", L"Sender"};
    for (const wchar_t* pszKey : s_apszKeys)
    {
        wchar_t szValue[32];
        CopyBusValue(_pszRecord, pszKey, szValue, ARRAYSIZE(szValue));
        g_StatusLog.WriteStatus(L"PrgMsg", pszKey, L"%s", szValue);
    }
}
