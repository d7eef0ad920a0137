// Categories of records handed over through WM_SETTEXT: malformed records and every bus type.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunMalformedRecords(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
void RunBusTypes(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
