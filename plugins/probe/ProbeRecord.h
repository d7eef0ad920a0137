// Every field of a bus record, in record order.
#pragma once
#include "ProbeLogWriter.h"

// The keyword/value pairs of "<value keyword="K">V</value>" lines of a record the host
// passed in; one pair ("Record", "<null>") for a null record.
ProbeFields ParseRecordFields(const wchar_t* _pszRecord);
