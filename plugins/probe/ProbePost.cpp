#include "ProbePost.h"

#include <algorithm>
#include <vector>

#include "TelvarinPlugin.h"

namespace {

BOOL CALLBACK MatchHostWindow(HWND _hWnd, LPARAM _lParam)
{
    DWORD dwPid = 0;
    GetWindowThreadProcessId(_hWnd, &dwPid);
    if (dwPid != GetCurrentProcessId() || static_cast<DWORD>(GetWindowLongPtrW(_hWnd, GWLP_USERDATA)) != HOST_WINDOW_ID)
        return TRUE;
    *reinterpret_cast<HWND*>(_lParam) = _hWnd;
    return FALSE;
}

} // namespace

HWND FindHostWindow()
{
    HWND hWnd = nullptr;
    EnumWindows(MatchHostWindow, reinterpret_cast<LPARAM>(&hWnd));
    return hWnd;
}

LRESULT PostRecordToHost(HWND _hWnd, UINT _uType, const ProbeFields& _fields, bool _bSynchronous)
{
    if (!_hWnd)
        return 0;
    std::vector<wchar_t> vecRecord(BUS_RECORD_CAPACITY);
    BusRecordBegin(vecRecord.data(), vecRecord.size());
    BusRecordAppend(vecRecord.data(), vecRecord.size(), BUS_FIELD_TYPE, _uType);
    for (const auto& field : _fields)
        BusRecordAppend(vecRecord.data(), vecRecord.size(), L" <value keyword=\"%s\">%s</value>\r\n",
                        field.first.c_str(), field.second.c_str());
    BusRecordEnd(vecRecord.data(), vecRecord.size());

    const size_t cchRecord = wcslen(vecRecord.data());
    const size_t cchBlock = std::max<size_t>(cchRecord, 16384) + 2;
    auto* pszBlock = static_cast<wchar_t*>(GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cchBlock * sizeof(wchar_t)));
    if (!pszBlock)
        return 0;
    CopyMemory(pszBlock, vecRecord.data(), (cchRecord + 1) * sizeof(wchar_t));
    const LPARAM lBlock = reinterpret_cast<LPARAM>(pszBlock);
    if (_bSynchronous)
        return SendMessageW(_hWnd, WM_QEL_BUS, _uType, lBlock);
    if (!PostMessageW(_hWnd, WM_QEL_BUS, _uType, lBlock))
    {
        GlobalFree(pszBlock);
        return 0;
    }
    return 1;
}
