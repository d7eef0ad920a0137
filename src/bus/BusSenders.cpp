// The host's own bus messages: a Type-only record and the senders of types 1, 4, 9,
// 33, 66, 76 and 82. Each builds in a buffer of its own, so any thread may send. Type 9
// goes to another process's host, so it travels as window text, not as a memory block.
#include "bus/BusSenders.h"

#include "bus/BusRecord.h"
#include "bus/BusRecordBuilder.h"

int SendBusType(HWND _hWnd, BOOL _bSynchronous, UINT _uType)
{
    if (!IsBusTarget(_hWnd))
        return 0;
    return CBusRecordBuilder(_uType, BUS_RECORD_CAPACITY).Deliver(_hWnd, _bSynchronous);
}

int PostMenuCommandRecord(HWND _hWnd, BOOL _bSynchronous, UINT _uWParam, UINT _uLParam)
{
    if (!IsBusTarget(_hWnd))
        return 0;
    CBusRecordBuilder record(QEL_BUSMSG_MENUCOMMAND, BUS_RECORD_CAPACITY_SMALL);
    record.AddField(L" <value keyword=\"WParam\">%u</value>\r\n", _uWParam);
    record.AddField(L" <value keyword=\"LParam\">%u</value>\r\n", _uLParam);
    return record.Deliver(_hWnd, _bSynchronous);
}

void PostTraceRecord(HWND _hWnd, UINT _uLevel, const wchar_t* _pszText, DWORD _dwThread)
{
    if (!IsBusTarget(_hWnd))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_TRACE, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"Level\">%u</value>\r\n", _uLevel);
    record.AddField(L" <value keyword=\"Text\">%s</value>\r\n", TextOrEmpty(_pszText));
    record.AddField(L" <value keyword=\"Thread\">%d</value>\r\n", static_cast<int>(_dwThread));
    record.Deliver(_hWnd, FALSE);
}

bool SendShowConfigText(HWND _hWnd, UINT _uModule, UINT _uTimeoutMs)
{
    if (!IsBusTarget(_hWnd))
        return false;
    CBusRecordBuilder record(QEL_BUSMSG_SHOWCONFIG, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"Module\">%u</value>\r\n", _uModule);
    DWORD_PTR dwResult = 0;
    return SendMessageTimeoutW(_hWnd, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(record.Finish()),
                               SMTO_ABORTIFHUNG | SMTO_NORMAL, _uTimeoutMs, &dwResult) != 0;
}

void PostPluginInitiatedRecord(HWND _hWnd, UINT _uPluginID, UINT _uInitiated)
{
    if (!IsBusTarget(_hWnd))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_PLUGININITIATED, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"PluginID\">%u</value>\r\n", _uPluginID);
    record.AddField(L" <value keyword=\"PluginInitiated\">%u</value>\r\n", _uInitiated);
    record.Deliver(_hWnd, FALSE);
}

void PostLastErrorRecord(HWND _hWnd, const wchar_t* _pszLastErr)
{
    if (!IsBusTarget(_hWnd))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_LASTERROR, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"LastErr\">%s</value>\r\n", TextOrEmpty(_pszLastErr));
    record.Deliver(_hWnd, FALSE);
}

void PostSchemeRecord(HWND _hWnd, UINT _uSchemeIndex, const wchar_t* _pszFont, const wchar_t* _pszLanguage)
{
    if (!IsBusTarget(_hWnd))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_SCHEME, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"SchemeIndex\">%u</value>\r\n", _uSchemeIndex);
    record.AddField(L" <value keyword=\"UsedFont\">%s</value>\r\n", TextOrEmpty(_pszFont));
    record.AddField(L" <value keyword=\"UsedLanguage\">%s</value>\r\n", TextOrEmpty(_pszLanguage));
    record.Deliver(_hWnd, FALSE);
}

void PostVersionInfoRecord(HWND _hWnd, const wchar_t* _pszHighest, const wchar_t* _pszActual)
{
    if (!IsBusTarget(_hWnd))
        return;
    CBusRecordBuilder record(QEL_BUSMSG_VERSIONINFO, BUS_RECORD_CAPACITY);
    record.AddField(L" <value keyword=\"HighestVersion\">%s</value>\r\n", TextOrEmpty(_pszHighest));
    record.AddField(L" <value keyword=\"ActualVersion\">%s</value>\r\n", TextOrEmpty(_pszActual));
    record.Deliver(_hWnd, FALSE);
}
