// A budget of events per period: what another process can repeat as fast as it posts is
// admitted a few times per period and only counted beyond that.
#pragma once
#include <windows.h>

class CRateLimit
{
public:
    CRateLimit(UINT _uBudget, DWORD _dwPeriodMs) : m_uBudget(_uBudget), m_dwPeriodMs(_dwPeriodMs) {}

    // True when the event is within this period's budget. A new period starts on the first
    // event after the old one ran out; _puSuppressed then gets the old period's refused count.
    bool Admit(DWORD _dwNow, UINT* _puSuppressed);

private:
    UINT m_uBudget;
    DWORD m_dwPeriodMs;
    DWORD m_dwPeriodStart = 0;
    UINT m_uAdmitted = 0;
    UINT m_uSuppressed = 0;
    bool m_bStarted = false;
};
