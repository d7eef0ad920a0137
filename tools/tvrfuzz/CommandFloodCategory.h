// A flood of posted WM_COMMAND ids, each of which the host forwards as a record in a block of
// its own: while the host works them off its private memory must stay bounded, and afterwards
// it must still answer.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunCommandFlood(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
