#include "host/ProgramVersion.h"

const CVersionTool& ProgramVersion()
{
    static const CVersionTool s_Version;
    return s_Version;
}
