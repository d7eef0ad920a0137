// Random words written into the host's named shared memory block; the words the host wrote
// (running flag, main window) are put back afterwards and the request flag is cleared.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunSharedMemory(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
