// A flood of posted host messages that the host must refuse or survive: calls at refused
// addresses, bus messages with bogus blocks, timers with code addresses. Afterwards the
// fuzzer waits until the host has handled them all.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunBurst(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
