#include "ProcessUse.h"

#include <windows.h>

#include <vector>

namespace {

// The system's handle list (SystemHandleInformation), for systems whose per-process handle
// count says 0 (Wine does not count them).
struct SSystemHandleEntry
{
    ULONG ulOwnerPid;
    BYTE bObjectType;
    BYTE bFlags;
    USHORT usHandle;
    PVOID pObject;
    ACCESS_MASK dwAccess;
};
struct SSystemHandleList
{
    ULONG ulCount;
    SSystemHandleEntry aEntries[1];
};
using PFN_NtQuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
const ULONG SYSTEM_HANDLE_INFORMATION = 16;
const LONG STATUS_INFO_LENGTH_MISMATCH = static_cast<LONG>(0xC0000004);

unsigned long ListedHandlesOfThisProcess()
{
    const auto pfnQuery = reinterpret_cast<PFN_NtQuerySystemInformation>(
        GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation"));
    if (pfnQuery == nullptr)
        return 0;
    std::vector<BYTE> vecBuffer(1 << 20);
    for (int iTry = 0; iTry < 8; ++iTry)
    {
        ULONG cbNeeded = 0;
        const LONG lStatus = pfnQuery(SYSTEM_HANDLE_INFORMATION, vecBuffer.data(), static_cast<ULONG>(vecBuffer.size()), &cbNeeded);
        if (lStatus == STATUS_INFO_LENGTH_MISMATCH)
        {
            vecBuffer.resize(vecBuffer.size() * 2 > cbNeeded ? vecBuffer.size() * 2 : cbNeeded + 65536);
            continue;
        }
        if (lStatus < 0)
            return 0;
        const auto* pList = reinterpret_cast<const SSystemHandleList*>(vecBuffer.data());
        unsigned long ulOwn = 0;
        for (ULONG i = 0; i < pList->ulCount; ++i)
            ulOwn += pList->aEntries[i].ulOwnerPid == GetCurrentProcessId() ? 1 : 0;
        return ulOwn;
    }
    return 0;
}

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
    if (!GetProcessHandleCount(GetCurrentProcess(), &dwHandles) || dwHandles == 0)
        dwHandles = ListedHandlesOfThisProcess();
    return {dwHandles, CommittedPrivateBytes()};
}
