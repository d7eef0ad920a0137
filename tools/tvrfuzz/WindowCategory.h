// Messages to every window of the host whose procedure is its own.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunHostWindows(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
