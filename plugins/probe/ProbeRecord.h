// Every field of a bus record, in record order.
#pragma once
#include "ProbeLogWriter.h"

// The keyword/value pairs of "<value keyword="K">V</value>" lines; one pair
// ("Record", "<unreadable>") when the text is not readable and terminated.
ProbeFields ParseRecordFields(const wchar_t* _pszRecord);
