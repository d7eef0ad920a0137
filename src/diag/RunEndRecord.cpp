#include "diag/RunEndRecord.h"

#include <windows.h>

#include "diag/StatusLog.h"

namespace {

const wchar_t SECTION[] = L"RunEnd";

}   // namespace

void RecordRunEnd(const wchar_t* _pszPluginFile, const wchar_t* _pszReason)
{
    g_StatusLog.WriteStatus(SECTION, L"Reason", L"%s", _pszReason ? _pszReason : L"");
    g_StatusLog.WriteStatus(SECTION, L"Plugin", L"%s", _pszPluginFile ? _pszPluginFile : L"");
}

void ClearRunEnd()
{
    RecordRunEnd(L"", L"");
}

void ReadRunEnd(wchar_t* _pszOut, size_t _cchOut)
{
    if (_cchOut == 0)
        return;
    GetPrivateProfileStringW(SECTION, L"Plugin", L"", _pszOut, static_cast<DWORD>(_cchOut),
                             g_StatusLog.GetReportFile());
}
