// tvrctl modules: every plug-in file of the six category folders with its versions and
// whether the running host has it loaded.
#pragma once
#include "CtlCommand.h"

int RunModules(const CtlArgs& _vecArgs);
// The module table as text (also part of the support bundle).
std::wstring DescribeModules(const SHostContext& _host);
