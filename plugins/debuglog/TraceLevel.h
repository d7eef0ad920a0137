// The host's trace level, set through its bus message for the level (type 26).
#pragma once

// Posts the level (0..4) to the host's main window of this process; false when there is
// no host window or the post failed.
bool PostTraceLevel(int _iLevel);
