// One bus record handed to the host through its window-text entry (WM_SETTEXT): the host
// reads the record and sends (synchronous) or posts it to itself as a bus message.
#pragma once
#include <windows.h>
#include <string>
#include <utility>
#include <vector>

using BusFields = std::vector<std::pair<std::wstring, std::wstring>>;

enum HandOverResult
{
    HAND_OVER_DONE,
    HAND_OVER_BAD_FIELD,      // a keyword or value the record cannot hold, or too long a record
    HAND_OVER_NO_ANSWER,      // the host did not take it in time
};

// With _bSync the call returns once the host has handled the message.
HandOverResult HandRecordToHost(HWND _hWndHost, UINT _uType, const BusFields& _vecFields, bool _bSync,
                                std::wstring* _pstrProblem);
// A bus type from its number or its name ("QEL_BUSMSG_DEBUGLEVEL" or "DEBUGLEVEL", any case).
bool ParseBusType(const std::wstring& _strText, UINT* _puType);
// The type's name, or "type N" for a number the table does not list.
std::wstring BusTypeLabel(UINT _uType);
