// Requests to the main window from plug-in code and other processes, the bounds of the
// texts they hand over and the rate-limited trace of what the host refuses.
#include "host/window/HostRequests.h"

#include <commctrl.h>
#include <stdarg.h>
#include <strsafe.h>

#include "TelvarinPlugin.h"
#include "base/ControlCharacters.h"
#include "base/MemoryProbe.h"
#include "base/SentMessage.h"
#include "bus/BusRecord.h"
#include "bus/CodeAddress.h"
#include "config/ResourceAccess.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"
#include "host/window/MainWindowState.h"
#include "ui/InfoIcon.h"
#include "ui/QelConfig.h"
#include "ui/QelDlgColors.h"

namespace {

typedef void (*PFN_MainThreadFunction)();

const wchar_t* TextOf(LPARAM _lText)
{
    const wchar_t* pszText = reinterpret_cast<const wchar_t*>(_lText);
    return GetBusTextLength(pszText) >= 0 ? pszText : nullptr;
}

// The child of the root node "Extra" named "Scheme config"; null when there is none.
HTREEITEM FindSchemePage(HWND _hTree)
{
    if (!_hTree)
        return nullptr;
    for (HTREEITEM hRoot = TreeView_GetRoot(_hTree); hRoot; hRoot = TreeView_GetNextSibling(_hTree, hRoot))
    {
        wchar_t szText[128] = L"";
        TVITEMW item = {};
        item.mask = TVIF_TEXT;
        item.hItem = hRoot;
        item.pszText = szText;
        item.cchTextMax = ARRAYSIZE(szText);
        if (!TreeView_GetItem(_hTree, &item) || wcscmp(szText, L"Extra") != 0)
            continue;
        for (HTREEITEM hChild = TreeView_GetChild(_hTree, hRoot); hChild;
             hChild = TreeView_GetNextSibling(_hTree, hChild))
        {
            item.hItem = hChild;
            szText[0] = 0;
            if (TreeView_GetItem(_hTree, &item) && wcscmp(szText, L"Scheme config") == 0)
                return hChild;
        }
        return nullptr;
    }
    return nullptr;
}

void ReopenSettingsOnSchemePage()
{
    g_QelConfig.CloseConfig();
    Sleep(100);
    g_QelConfig.ShowConfig(0);
    if (HTREEITEM hPage = FindSchemePage(g_QelConfig.GetTree()))
        g_QelConfig.SelectNode(hPage);
}

}   // namespace

void OnTraceRequest(HWND _hWnd, WPARAM _wLevel, LPARAM _lText)
{
    const wchar_t* pszLine = reinterpret_cast<const wchar_t*>(_lText);
    if (!IsPlausibleTraceLine(pszLine))
    {
        HostRefusals().Refuse(L"Event.WM_QEL_TRACE.Error.Text at 0x%p refused", pszLine);
        return;
    }
    // A plug-in that traces a record hands over its line breaks: the line is taken as one
    // line, from a copy, since the sender's memory is only ever read.
    wchar_t szLine[TRACE_LINE_MAX_CHARS + 1];
    StringCchCopyW(szLine, ARRAYSIZE(szLine), pszLine);
    ReplaceControlCharacters(szLine);
    PostTraceRecord(_hWnd, static_cast<UINT>(_wLevel), szLine, GetCurrentThreadId());
}

// Only code of a plug-in module is run; any other address (the program's own code,
// another process's, data, a stray number) is refused.
void OnCallFunction(LPARAM _lFunction)
{
    const void* pAddress = reinterpret_cast<const void*>(_lFunction);
    if (!pAddress)
        return;
    if (!IsPluginCodeAddress(pAddress))
    {
        HostRefusals().Refuse(L"Event.WM_QEL_CALLFUNCTION.Error.Address 0x%p outside the plug-ins' code", pAddress);
        return;
    }
    reinterpret_cast<PFN_MainThreadFunction>(_lFunction)();
}

void OnSchemeChange(HWND _hWnd, LPARAM _lRecord)
{
    // Anything but a record as plug-in code builds it changes nothing.
    const wchar_t* pszRecord = reinterpret_cast<const wchar_t*>(_lRecord);
    if (!IsPlausibleRecordText(pszRecord))
    {
        HostRefusals().Refuse(L"Event.WM_QEL_SCHEME.Error.Record at 0x%p refused", pszRecord);
        return;
    }
    CMainWindowState& state = MainWindowState();
    state.TakeScheme(pszRecord);
    // The values are copied: a sender on another thread goes on now and may free the record,
    // and reopening the settings window below can ask the person a question.
    const bool bFromOtherThread = IsSentFromOtherThread();
    AnswerWaitingSender(0);
    g_DlgColors.SetScheme(state.GetSchemeIndex());
    g_DlgFonts.SetFaceName(state.GetFontName());

    PostSchemeRecord(_hWnd, state.GetSchemeIndex(), state.GetFontName(), state.GetLanguageName());
    g_ResourceAccess.SelectLanguage(state.GetLanguageName());
    g_InfoIcon.Localize();
    const bool bSettingsOpen = g_QelConfig.IsOpen();
    g_InfoIcon.CloseInfoDialog();
    // A change pending in the settings window is the person's to apply or drop: a request
    // from another thread or process never raises that question, it leaves the window open.
    if (bSettingsOpen && !(bFromOtherThread && g_QelConfig.IsChanged()))
        ReopenSettingsOnSchemePage();
}

void OnSetTextRecord(HWND _hWnd, WPARAM _wParam, LPARAM _lText)
{
    const wchar_t* pszText = TextOf(_lText);
    if (!pszText || pszText[0] != L'<')
        return;
    // The record log is written whether or not the record can be forwarded, and first: the
    // forwarded record's handling may answer the sender, whose text is then no longer read.
    g_pServiceWindow->LogProgramMessage(pszText);
    ForwardSetTextRecord(_hWnd, _wParam, pszText);
}

namespace {

// "YYYY-MM-DD hh:mm:ss.mmm (": the time stamp every finished trace line begins with.
bool HasTimeStamp(const wchar_t* _pszLine, INT_PTR _iLength)
{
    static const wchar_t s_szShape[] = L"0000-00-00 00:00:00.000 (";
    const INT_PTR iShape = ARRAYSIZE(s_szShape) - 1;
    if (_iLength < iShape)
        return false;
    for (INT_PTR i = 0; i < iShape; ++i)
    {
        const bool bDigit = _pszLine[i] >= L'0' && _pszLine[i] <= L'9';
        if (s_szShape[i] == L'0' ? !bDigit : _pszLine[i] != s_szShape[i])
            return false;
    }
    return true;
}

}   // namespace

bool IsPlausibleTraceLine(const wchar_t* _pszLine)
{
    const INT_PTR iLength = GetBusTextLength(_pszLine, TRACE_LINE_MAX_CHARS + 1);
    return iLength > 0 && HasTimeStamp(_pszLine, iLength);
}

bool IsPlausibleRecordText(const wchar_t* _pszRecord)
{
    const INT_PTR iLength = GetBusTextLength(_pszRecord, RECORD_TEXT_MAX_CHARS + 1);
    const size_t cchHeader = wcslen(BUS_RECORD_HEADER);
    return iLength >= static_cast<INT_PTR>(cchHeader) && wcsncmp(_pszRecord, BUS_RECORD_HEADER, cchHeader) == 0;
}

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
