// tvrctl send TYPE [KEY=VALUE...] [--sync]: one bus message to the running host.
#pragma once
#include "CtlCommand.h"

int RunSend(const CtlArgs& _vecArgs);
