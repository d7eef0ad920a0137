#include "base/RateLimit.h"

bool CRateLimit::Admit(DWORD _dwNow, UINT* _puSuppressed)
{
    *_puSuppressed = 0;
    if (!m_bStarted || _dwNow - m_dwPeriodStart >= m_dwPeriodMs)
    {
        *_puSuppressed = m_uSuppressed;
        m_bStarted = true;
        m_dwPeriodStart = _dwNow;
        m_uAdmitted = 0;
        m_uSuppressed = 0;
    }
    if (m_uAdmitted >= m_uBudget)
    {
        ++m_uSuppressed;
        return false;
    }
    ++m_uAdmitted;
    return true;
}
