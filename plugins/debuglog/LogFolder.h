// The host's per-user log folder, found the way the host finds it: the roaming
// application-data folder, "orvex", the program file's product name and file description
// (blanks removed), then "LOG"; the program's own folder followed by "LOG" when the host
// runs as the SYSTEM account.
#pragma once
#include <string>

std::wstring HostLogFolder();
