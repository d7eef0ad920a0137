// Categories of window messages: random numbers, the host's own messages with every pointer
// class, lifecycle messages, and function calls at code and heap addresses.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunRandomMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
void RunHostMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
void RunLifecycleMessages(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
void RunCodeAndHeapAddresses(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
