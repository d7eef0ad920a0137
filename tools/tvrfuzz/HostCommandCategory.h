// Host commands (bus type 8) with odd module names. Only PLUGINADD, PLUGINREMOVE and names
// that are no command are used: the list-wide commands would legitimately unload the
// plug-ins that the other checks rely on. A copy of an installed plug-in is placed outside
// the category folders (in the program folder itself and in a temporary folder) and named
// in every way a path can take; the host must load none of them.
#pragma once
#include "FuzzRandom.h"
#include "FuzzSession.h"

void RunHostCommands(CFuzzSession& _Session, CFuzzRandom& _Random, unsigned _uCount);
