#include "BenchWindow.h"

#include "BenchClock.h"
#include "TelvarinPlugin.h"
#include "bus/BusRecord.h"
#include "bus/PluginBase.h"

#include <utility>

namespace {

LONG g_lDispatched = 0;

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
        const UINT uType = static_cast<UINT>(_wParam);
        CBusBlock block = CBusBlock::Accept(_lParam, uType);
        block.Record();   // the host reads it for the types it consumes or acts on
        return DistributeBusMessageToLists(uType, std::move(block));
    }
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
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

} // namespace

HWND CreateBenchWindow()
{
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = BenchWndProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TelvarinBusBench";
    RegisterClassExW(&wc);
    return CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
}

double TimePostedMessages(int _iCount, int _iBatch, void (*_post)(HWND, const wchar_t*), HWND _hWnd,
                          const wchar_t* _pszRecord)
{
    g_lDispatched = 0;
    const LARGE_INTEGER liStart = BenchNow();
    for (int iDone = 0; iDone < _iCount; iDone += _iBatch)
    {
        for (int i = 0; i < _iBatch; ++i)
            _post(_hWnd, _pszRecord);
        PumpUntil(iDone + _iBatch);
    }
    return SecondsSince(liStart) / _iCount;
}

void TimeMessagePairs(int _iPairs, HWND _hWnd, const wchar_t* _pszRecord, std::vector<double>* _pvecBus,
                      std::vector<double>* _pvecBare)
{
    g_lDispatched = 0;
    auto timeOne = [_hWnd, _pszRecord](void (*_post)(HWND, const wchar_t*)) {
        const LARGE_INTEGER liStart = BenchNow();
        _post(_hWnd, _pszRecord);
        PumpUntil(g_lDispatched + 1);
        return SecondsSince(liStart);
    };
    for (int i = 0; i < _iPairs; ++i)
    {
        if (i % 2 == 0)
        {
            _pvecBus->push_back(timeOne(PostBus));
            _pvecBare->push_back(timeOne(PostBare));
        }
        else
        {
            _pvecBare->push_back(timeOne(PostBare));
            _pvecBus->push_back(timeOne(PostBus));
        }
    }
}

void PostBare(HWND _hWnd, const wchar_t*)
{
    PostMessageW(_hWnd, WM_BENCH, 0, 0);
}

void PostBus(HWND _hWnd, const wchar_t* _pszRecord)
{
    PostBusRecord(_hWnd, FALSE, QEL_BUSMSG_TRACE, _pszRecord);
}
