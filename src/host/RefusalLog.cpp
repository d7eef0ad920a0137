#include "host/RefusalLog.h"

#include <stdarg.h>
#include <strsafe.h>

#include "diag/Trace.h"

void CRefusalLog::Refuse(const wchar_t* _pszFormat, ...)
{
    UINT uSuppressed = 0;
    const bool bAdmitted = m_Limit.Admit(GetTickCount(), &uSuppressed);
    if (uSuppressed != 0)
        WriteTrace(0, L"Event.Refused.Info.%u further refused requests not traced", uSuppressed);
    if (!bAdmitted)
        return;
    wchar_t szText[512];
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(szText, ARRAYSIZE(szText), _pszFormat, args);
    va_end(args);
    WriteTrace(0, L"%s", szText);
}

CRefusalLog& HostRefusals()
{
    static CRefusalLog s_log;
    return s_log;
}
