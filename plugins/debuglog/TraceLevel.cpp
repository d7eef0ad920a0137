#include "TraceLevel.h"

#include "TelvarinPlugin.h"

bool PostTraceLevel(int _iLevel)
{
    CBusRecordWriter record;
    return record.AddNumber(L"Level", _iLevel) && record.Post(FindHostMainWindow(), QEL_BUSMSG_DEBUGLEVEL);
}
