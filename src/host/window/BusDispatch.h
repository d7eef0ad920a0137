// Bus messages addressed to the host (window message 1151): the host's own action for
// each type, then the distribution to the plug-ins or the release of the record block.
#pragma once
#include <windows.h>

// Result for the sender: 0 for every type the host handles itself, else the distribution's.
LRESULT OnBusMessage(HWND _hWnd, UINT _uType, LPARAM _lBlock);

// The tray appearance of a plug-in status (type 11, field "State").
struct StatusAppearance
{
    const wchar_t* pszProgramStatus;   // value of LogProgramStatus
    int iIconState;                    // SetState
    bool bErrorTip;                    // tooltip with the error text, instance remembered
};
StatusAppearance GetStatusAppearance(long _lState);
// Status handling of type 11 (before its distribution).
void OnStatusMessage(const wchar_t* _pszRecord);
