// Exit codes of tvrctl, the same for every command (docs/support.md lists them).
#pragma once

enum CtlExit
{
    CTL_EXIT_OK = 0,          // done; for "status": the host runs and reports OK
    CTL_EXIT_NO_HOST = 1,     // no running host (or "wait" timed out)
    CTL_EXIT_USAGE = 2,       // unknown command, missing or bad arguments
    CTL_EXIT_NOT_OK = 3,      // "status": the host runs but does not report OK
    CTL_EXIT_FAILED = 4,      // the host did not answer, or a file could not be read or written
};
