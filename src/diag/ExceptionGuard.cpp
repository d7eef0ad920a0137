// scaffold: replaced by the owning subsystem
#include "diag/ExceptionGuard.h"
int RunGuarded(int (*b)(), LONG (*)(EXCEPTION_POINTERS*)) { return b(); }
