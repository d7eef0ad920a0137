#include "BusPathSteps.h"

#include <cstdio>
#include <cwchar>

#include "BenchClock.h"
#include "TelvarinPlugin.h"
#include "base/MemoryProbe.h"
#include "bus/BusRecord.h"
#include "bus/PluginBase.h"

#include <utility>

namespace {

const int CALLS = 20000;
volatile LONG_PTR g_lSink = 0;   // keeps the timed calls from being optimised away

void PrintStep(const char* _pszName, double _dSeconds)
{
    std::printf("step %-28s %10.1f\n", _pszName, _dSeconds * 1e9);
}

// A block as PostBusRecord makes it.
HGLOBAL NewRecordBlock(const wchar_t* _pszRecord)
{
    const size_t cchRecord = wcslen(_pszRecord);
    const size_t cchBlock = (cchRecord > 16384 ? cchRecord : 16384) + 2;
    HGLOBAL hBlock = GlobalAlloc(GMEM_FIXED | GMEM_ZEROINIT, cchBlock * sizeof(wchar_t));
    if (hBlock)
        wmemcpy(static_cast<wchar_t*>(hBlock), _pszRecord, cchRecord + 1);
    return hBlock;
}

} // namespace

void PrintBusPathSteps(HWND _hWnd, const wchar_t* _pszRecord)
{
    PrintStep("IsWindow", TimePerCall(CALLS, [_hWnd] { g_lSink += IsWindow(_hWnd); }));
    PrintStep("GetWindowThreadProcessId", TimePerCall(CALLS, [_hWnd] {
        DWORD dwProcessId = 0;
        g_lSink += GetWindowThreadProcessId(_hWnd, &dwProcessId);
    }));
    PrintStep("GetBusTextLength(record)", TimePerCall(CALLS, [_pszRecord] { g_lSink += GetBusTextLength(_pszRecord); }));
    PrintStep("VirtualQuery", TimePerCall(CALLS, [_pszRecord] {
        MEMORY_BASIC_INFORMATION mbi;
        g_lSink += VirtualQuery(_pszRecord, &mbi, sizeof(mbi));
    }));
    PrintStep("GlobalAlloc+copy+GlobalFree", TimePerCall(CALLS, [_pszRecord] { GlobalFree(NewRecordBlock(_pszRecord)); }));

    PrintStep("GlobalAlloc+copy, 500 alive", TimePerCall(CALLS / 500, [_pszRecord] {
        HGLOBAL ahBlocks[500];
        for (HGLOBAL& hNew : ahBlocks)
            hNew = NewRecordBlock(_pszRecord);
        for (HGLOBAL hOld : ahBlocks)
            GlobalFree(hOld);
    }) / 500);
    PrintStep("whole path without the queue", TimePerCall(CALLS, [_pszRecord] {
        const LPARAM lNew = reinterpret_cast<LPARAM>(NewRecordBlock(_pszRecord));
        BusBlocks().AddPending(lNew, QEL_BUSMSG_TRACE, CBusBlockRegistry::EOrigin::Host);
        CBusBlock block = CBusBlock::Accept(lNew, QEL_BUSMSG_TRACE);
        block.Record();
        g_lSink += DistributeBusMessageToLists(QEL_BUSMSG_TRACE, std::move(block));
    }));
    HGLOBAL hBlock = NewRecordBlock(_pszRecord);
    const LPARAM lBlock = reinterpret_cast<LPARAM>(hBlock);
    PrintStep("account: add, accept, finish", TimePerCall(CALLS, [lBlock] {
        CBusBlockRegistry::EOrigin eOrigin;
        BusBlocks().AddPending(lBlock, QEL_BUSMSG_TRACE, CBusBlockRegistry::EOrigin::Host);
        g_lSink += BusBlocks().Accept(lBlock, QEL_BUSMSG_TRACE) == EBlockVerdict::Taken;
        g_lSink += BusBlocks().Finish(lBlock, &eOrigin);
    }));
    BusBlocks().AddPending(lBlock, QEL_BUSMSG_TRACE, CBusBlockRegistry::EOrigin::Host);
    PrintStep("RecordOfBlock", TimePerCall(CALLS, [lBlock] { g_lSink += *RecordOfBlock(lBlock); }));
    PrintStep("GlobalSize", TimePerCall(CALLS, [hBlock] { g_lSink += GlobalSize(hBlock); }));
    PrintStep("GetBusHandle(MemBlock)", TimePerCall(CALLS, [_pszRecord] { g_lSink += GetBusHandle(_pszRecord, L"MemBlock"); }));
    PrintStep("six lists, no-op plug-ins", TimePerCall(CALLS, [_pszRecord] {
        for (CPluginBase* pList : {&g_PluginDebug, &g_PluginExtra, &g_PluginSearch, &g_PluginInfo, &g_PluginSave,
                                   &g_PluginTelephony})
            g_lSink += pList->DeliverBusMessage(QEL_BUSMSG_TRACE, _pszRecord);
    }));
    PrintStep("FindLiveHeapBlock (untracked)", TimePerCall(CALLS / 100, [lBlock] {
        SIZE_T cbBlock = 0;
        g_lSink += FindLiveHeapBlock(lBlock, &cbBlock);
    }));
    CBusBlockRegistry::EOrigin eOrigin;
    BusBlocks().Finish(lBlock, &eOrigin);
    GlobalFree(hBlock);
}
