#include "host/window/CrashLoopBreaker.h"

#include <shlwapi.h>

#include <string>

#include "bus/PluginBase.h"
#include "bus/PluginStopMarks.h"
#include "config/ResourceAccess.h"
#include "config/RunMode.h"
#include "diag/RunEndRecord.h"
#include "diag/StatusLog.h"
#include "diag/Trace.h"
#include "host/report/StartupReport.h"
#include "ui/InfoIcon.h"

namespace {

const UINT STOPPED_TEXT_ID = 1049;

const CPluginBase* const LISTS[] = {&g_PluginDebug, &g_PluginSearch, &g_PluginSave,
                                    &g_PluginInfo,  &g_PluginExtra,  &g_PluginTelephony};

}   // namespace

void NoteHowTheLastRunEnded()
{
    wchar_t szPlugin[512] = L"";
    ReadRunEnd(szPlugin, ARRAYSIZE(szPlugin));
    ClearRunEnd();
    if (NoteRunEndPlugin(szPlugin))
        WriteTraceNote(
            0, L"Func.CServiceWindow.Error.Plug-in named at the end of two runs in a row, stopped after faults: %s",
            szPlugin);
}

void ReportStoppedPlugins()
{
    std::wstring strKeys;
    std::wstring strNames;
    for (const CPluginBase* pList : LISTS)
    {
        for (const std::wstring& strFile : pList->GetStoppedFiles())
        {
            strKeys += (strKeys.empty() ? L"" : L"; ") + PluginStopKey(strFile.c_str());
            strNames += (strNames.empty() ? L"" : L", ") + std::wstring(PathFindFileNameW(strFile.c_str()));
        }
    }
    g_StatusLog.WriteStatus(L"StoppedPlugins", L"Modules", L"%s", strKeys.c_str());
    if (strNames.empty() || IsServiceMode())
        return;
    const std::wstring strTip = std::wstring(ProgramVersion().GetProductName()) + L"\n" +
                                g_ResourceAccess.GetString(STOPPED_TEXT_ID, L"stopped after faults") + L": " + strNames;
    g_InfoIcon.SetTip(strTip.c_str());
    g_InfoIcon.Refresh();
}
