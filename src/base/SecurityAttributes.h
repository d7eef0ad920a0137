// Security attributes whose descriptor has a null DACL (every account has access).
#pragma once
#include <windows.h>

// Built once on first use and shared by every caller.
SECURITY_ATTRIBUTES* GetNullDaclAttributes();
