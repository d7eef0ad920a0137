// Trace lines for requests the host refuses. Other processes can repeat a refused request
// as fast as they can post it, so one refusal costs at most one trace line, and only the
// first LINES_PER_PERIOD refusals of each period are traced; the rest are counted and
// reported as one line when the next period begins.
#pragma once
#include <windows.h>

#include "base/RateLimit.h"

class CRefusalLog
{
public:
    static const UINT LINES_PER_PERIOD = 10;
    static const DWORD PERIOD_MS = 10000;

    // Traces the refusal (level 0) when this period's budget allows it.
    void Refuse(const wchar_t* _pszFormat, ...);

private:
    CRateLimit m_Limit{LINES_PER_PERIOD, PERIOD_MS};
};

// The one refusal log of the main window (main thread only).
CRefusalLog& HostRefusals();
