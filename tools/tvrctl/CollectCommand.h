// tvrctl collect [FILE]: one cabinet file with what support staff ask for (status report,
// error log, newest crash and hang dumps, today's and yesterday's trace files, configuration
// files, the module list, program and system versions), and a summary of what went in.
#pragma once
#include "CtlCommand.h"

int RunCollect(const CtlArgs& _vecArgs);
