// Measures the costs of the bus and prints them:
//  1. PostMessage to a window of this process, pumped and dispatched;
//  2. a bus record from PostBusRecord through the window procedure and the distribution
//     to six lists with one no-op plug-in each (the block is released after the lists);
//  3. GetBusValue of "Text" on a typical trace record;
//  4. a trace site whose level is off, against an empty loop.
#include <windows.h>
#include <cstdio>
#include <string>

#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "bus/PluginBase.h"
#include "diag/Trace.h"
#include "host/window/MainWindow.h"

namespace {

const UINT WM_BENCH = WM_APP + 1;
const int BATCH = 1000;   // well below the 10000-message queue limit
volatile LONG g_lDispatched = 0;
volatile int g_iSink = 0;   // keeps the timed loops from being optimised away

LRESULT CALLBACK BenchWndProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_BENCH)
    {
        ++g_lDispatched;
        return 0;
    }
    if (_uMsg == WM_QEL_BUS)
    {
        ++g_lDispatched;
        return DistributeBusMessageToLists(static_cast<UINT>(_wParam), _lParam);
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

double Seconds(LARGE_INTEGER _liStart)
{
    LARGE_INTEGER liNow, liFrequency;
    QueryPerformanceCounter(&liNow);
    QueryPerformanceFrequency(&liFrequency);
    return static_cast<double>(liNow.QuadPart - _liStart.QuadPart) / static_cast<double>(liFrequency.QuadPart);
}

LARGE_INTEGER Now()
{
    LARGE_INTEGER li;
    QueryPerformanceCounter(&li);
    return li;
}

void PumpUntil(LONG _lCount)
{
    MSG msg;
    while (g_lDispatched < _lCount && GetMessageW(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Posts in batches and pumps each batch; returns seconds per message.
template <typename Post>
double TimePosted(int _iCount, Post _post)
{
    g_lDispatched = 0;
    const LARGE_INTEGER liStart = Now();
    for (int iDone = 0; iDone < _iCount; iDone += BATCH)
    {
        for (int i = 0; i < BATCH; ++i)
            _post();
        PumpUntil(iDone + BATCH);
    }
    return Seconds(liStart) / _iCount;
}

// The no-op plug-in copied into every category folder beside this program.
bool InstallNoopPlugins()
{
    wchar_t szFolder[MAX_PATH];
    GetModuleFileNameW(nullptr, szFolder, MAX_PATH);
    std::wstring strFolder = szFolder;
    strFolder = strFolder.substr(0, strFolder.find_last_of(L'\\') + 1);
    for (const wchar_t* pszCategory : {L"PluginDebug", L"PluginSearch", L"PluginSave", L"PluginInfo", L"PluginExtra",
                                       L"PluginTelephony"})
    {
        const std::wstring strCategory = strFolder + pszCategory;
        CreateDirectoryW(strCategory.c_str(), nullptr);
        if (!CopyFileW((strFolder + L"NoopPlugin.dll").c_str(), (strCategory + L"\\PluginNoop.dll").c_str(), FALSE))
            return false;
    }
    return true;
}

std::wstring TraceRecord()
{
    wchar_t szRecord[BUS_RECORD_CAPACITY];
    BusRecordBegin(szRecord, BUS_RECORD_CAPACITY);
    BusRecordAppend(szRecord, BUS_RECORD_CAPACITY, BUS_FIELD_TYPE, QEL_BUSMSG_TRACE);
    BusRecordAppend(szRecord, BUS_RECORD_CAPACITY, L" <value keyword=\"Level\">%u</value>\r\n", 3u);
    BusRecordAppend(szRecord, BUS_RECORD_CAPACITY, L" <value keyword=\"Text\">%s</value>\r\n",
                    L"2024-05-17 09:41:27.318 (  4312:  4316) - MAIN.Func.CPluginBase.Add.Param._pszFile PluginXyz");
    BusRecordAppend(szRecord, BUS_RECORD_CAPACITY, L" <value keyword=\"Thread\">%d</value>\r\n", 4316);
    BusRecordEnd(szRecord, BUS_RECORD_CAPACITY);
    return szRecord;
}

void Print(const char* _pszWhat, double _dSeconds)
{
    std::printf("%-58s %10.1f ns  %12.0f /s\n", _pszWhat, _dSeconds * 1e9, _dSeconds > 0 ? 1.0 / _dSeconds : 0.0);
}

} // namespace

int wmain()
{
    if (!InstallNoopPlugins())
    {
        std::printf("busbench: NoopPlugin.dll beside the program could not be copied\n");
        return 1;
    }
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TelvarinBusBench";
    RegisterClassExW(&wc);
    HWND hWnd = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!hWnd)
    {
        std::printf("busbench: no window\n");
        return 1;
    }
    for (CPluginBase* pList : {&g_PluginDebug, &g_PluginSearch, &g_PluginSave, &g_PluginInfo, &g_PluginExtra, &g_PluginTelephony})
        pList->LoadAllModules();
    int iLoaded = 0;
    for (CPluginBase* pList : {&g_PluginDebug, &g_PluginSearch, &g_PluginSave, &g_PluginInfo, &g_PluginExtra, &g_PluginTelephony})
        iLoaded += pList->GetModuleHandle(0) ? 1 : 0;
    std::printf("busbench: %d of 6 lists hold the no-op plug-in; %d-bit build\n", iLoaded, static_cast<int>(sizeof(void*) * 8));

    const double dPost = TimePosted(200000, [hWnd] { PostMessageW(hWnd, WM_BENCH, 0, 0); });
    const std::wstring strRecord = TraceRecord();
    const double dBus = TimePosted(100000, [hWnd, &strRecord] { PostBusRecord(hWnd, FALSE, QEL_BUSMSG_TRACE, strRecord.c_str()); });

    const int iReads = 1000000;
    size_t uSum = 0;
    LARGE_INTEGER liStart = Now();
    for (int i = 0; i < iReads; ++i)
        uSum += wcslen(GetBusValue(strRecord.c_str(), L"Text"));
    const double dRead = Seconds(liStart) / iReads;

    const int iSites = 100000000;
    g_dwGlobalDebugLevel = 0;
    liStart = Now();
    for (int i = 0; i < iSites; ++i)
        g_iSink = i;
    const double dEmpty = Seconds(liStart) / iSites;
    liStart = Now();
    for (int i = 0; i < iSites; ++i)
    {
        g_iSink = i;
        WriteTrace(3, L"Func.Bench.Var.i %d", i);
    }
    const double dTraceOff = Seconds(liStart) / iSites;

    Print("PostMessage, pumped and dispatched (same process)", dPost);
    Print("PostBusRecord + window procedure + 6 lists (no-op each)", dBus);
    Print("GetBusValue(\"Text\") on a trace record", dRead);
    Print("empty loop iteration", dEmpty);
    Print("loop iteration with a trace site of level 3 at level 0", dTraceOff);
    std::printf("ratio bus message / PostMessage:            %8.2f\n", dBus / dPost);
    std::printf("ratio GetBusValue / PostMessage:            %8.2f\n", dRead / dPost);
    std::printf("extra cost of an off trace site:            %8.2f ns (ratio to empty loop %.2f)\n",
                (dTraceOff - dEmpty) * 1e9, dTraceOff / dEmpty);
    std::printf("(checksum %zu)\n", uSum);
    std::fflush(stdout);
    _exit(0);
}
