// scaffold: replaced by the owning subsystem
#include "host/Entry.h"
int HostEntry(HINSTANCE, const wchar_t*) { return 0; }
