#include "config/RunMode.h"

std::atomic<DWORD> g_dwServiceMode{0};
