// The module report of one list: one trace line per named module.
#include "bus/PluginBase.h"

#include <strsafe.h>

#include "base/ProgramPath.h"
#include "config/VersionTool.h"
#include "diag/Trace.h"

namespace {

const DWORD LEVEL_REPORT = 0;

// Last-write time of the file as stored (UTC, no conversion); zero when unknown.
SYSTEMTIME LastWriteTime(const wchar_t* _pszPath)
{
    SYSTEMTIME st = {};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (GetFileAttributesExW(_pszPath, GetFileExInfoStandard, &data))
        FileTimeToSystemTime(&data.ftLastWriteTime, &st);
    return st;
}

} // namespace

void CPluginBase::FormatModuleLine(int _iSlot, wchar_t* _pszLine, size_t _cchLine)
{
    wchar_t szPath[512];
    if (!CopyModulePath(m_Slots[_iSlot].hModule, szPath, ARRAYSIZE(szPath)))
        StringCchCopyW(szPath, ARRAYSIZE(szPath), L" ");
    const CVersionTool version(szPath);
    const SYSTEMTIME st = LastWriteTime(szPath);
    StringCchPrintfW(_pszLine, _cchLine, L"%s;%s;%s;%04d-%02d-%02d %02d:%02d:%02d;%d;", szPath,
                     version.GetProductVersion(), version.GetFileVersion(), st.wYear, st.wMonth, st.wDay, st.wHour,
                     st.wMinute, st.wSecond, GetDisableState(_iSlot) ? 1 : 0);
}

void CPluginBase::PrintFileInfos()
{
    WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.Begin");
    for (int i = 0; i < MAX_SLOTS; ++i)
    {
        const wchar_t* pszName = GetModuleName(i);
        if (pszName[0] == L'\0')
            continue;
        wchar_t szLine[512];
        FormatModuleLine(i, szLine, ARRAYSIZE(szLine));
        WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.Info.Module: %s", szLine);
        if (m_Slots[i].iIsUnicode == 0)
            WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.Error.UNICODE:%s", GetModuleName(i));
    }
    WriteTrace(LEVEL_REPORT, L"Func.PrintFileInfos.End");
}
