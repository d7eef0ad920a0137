// The first commands of tvrctl, kept for scripts: close, debuglevel, wait.
#pragma once
#include "CtlCommand.h"

int RunClose(const CtlArgs& _vecArgs);
int RunDebugLevel(const CtlArgs& _vecArgs);
int RunWait(const CtlArgs& _vecArgs);
// Sets the running host's trace level and waits until it has handled it; false (with the
// reason printed) when it could not.
bool SetHostLevel(HWND _hWndHost, int _iLevel);
