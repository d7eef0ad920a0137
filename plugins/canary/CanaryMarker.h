// Names shared by the canary plug-in, its helper library and the programs that look for them.
#pragma once

// The helper library, loaded by the canary plug-in from its own folder.
#define CANARY_HELPER_FILE   L"CanaryHelper.dll"
// Its export that must never run when called from outside: it writes the marker file.
#define CANARY_FUNCTION_NAME "CanaryTouch"
// The marker file, written beside the helper library.
#define CANARY_MARKER_FILE   L"CanaryRun.txt"
