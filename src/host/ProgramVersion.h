// The program file's version texts, read once on first use (constructor step 4).
#pragma once
#include "config/VersionTool.h"

const CVersionTool& ProgramVersion();
