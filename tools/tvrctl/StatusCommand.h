// tvrctl status: the host's state seen from outside, from its process and its status report.
#pragma once
#include "CtlCommand.h"

int RunStatus(const CtlArgs& _vecArgs);
// The status text and the exit code that goes with it (0 running and OK, 1 not running,
// 3 running but not OK).
std::wstring DescribeStatus(const SHostContext& _host, int* _piExit);
