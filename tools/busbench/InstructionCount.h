// Counts the instructions a call executes, by single-stepping it.
#pragma once

// The instructions executed by _pfnCall(_iArgument), with a constant few of the call itself:
// the trap flag is set before the call and a vectored handler counts each single-step
// exception and sets the flag again. Exact and independent of the machine's load, so a
// fraction of a nanosecond is not read from a noisy clock; one exception per instruction, so
// for short calls only. 0 when no single-step exception arrived.
unsigned long long CountInstructions(void (*_pfnCall)(int), int _iArgument);
