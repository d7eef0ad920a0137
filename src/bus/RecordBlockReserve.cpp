#include "bus/RecordBlockReserve.h"

#include <mutex>
#include <vector>

#include "TelvarinPlugin.h"

namespace {

std::mutex g_mutex;   // senders post from every thread
std::vector<HGLOBAL> g_vecReserve;

}   // namespace

void ReserveRecordBlocks(size_t _uCount)
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    g_vecReserve.reserve(_uCount);
    while (g_vecReserve.size() < _uCount)
    {
        HGLOBAL hBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, BUS_BLOCK_MIN_CHARS * sizeof(wchar_t));
        if (hBlock == nullptr)
            return;
        g_vecReserve.push_back(hBlock);
    }
}

HGLOBAL TakeReservedRecordBlock()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    if (g_vecReserve.empty())
        return nullptr;
    HGLOBAL hBlock = g_vecReserve.back();
    g_vecReserve.pop_back();
    return hBlock;
}

void ReleaseRecordBlocks()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    for (HGLOBAL hBlock : g_vecReserve)
        GlobalFree(hBlock);
    g_vecReserve.clear();
    g_vecReserve.shrink_to_fit();
}

size_t ReservedRecordBlocks()
{
    const std::lock_guard<std::mutex> lock(g_mutex);
    return g_vecReserve.size();
}
