#include "ProcessUse.h"

#include <windows.h>

namespace {

// Committed private memory, region by region over the whole address space: heaps, stacks and
// whatever the plug-in allocates itself.
size_t CommittedPrivateBytes()
{
    size_t cbPrivate = 0;
    const BYTE* pAddress = nullptr;
    MEMORY_BASIC_INFORMATION mbi;
    while (VirtualQuery(pAddress, &mbi, sizeof(mbi)) == sizeof(mbi))
    {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE)
            cbPrivate += mbi.RegionSize;
        const BYTE* pNext = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
        if (pNext <= pAddress)
            break;
        pAddress = pNext;
    }
    return cbPrivate;
}

} // namespace

SProcessUse MeasureProcessUse()
{
    DWORD dwHandles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &dwHandles);
    return {dwHandles, CommittedPrivateBytes()};
}
