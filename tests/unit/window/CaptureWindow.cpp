#include "CaptureWindow.h"

namespace {
const wchar_t CAPTURE_CLASS[] = L"TelvarinCaptureWindow";
}

CCaptureWindow::CCaptureWindow()
{
    WNDCLASSW wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = CAPTURE_CLASS;
    RegisterClassW(&wc);
    m_hWnd = CreateWindowExW(0, CAPTURE_CLASS, L"", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                             GetModuleHandleW(nullptr), this);
}

CCaptureWindow::~CCaptureWindow()
{
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
    {
        if (msg.message == 1151)
            GlobalFree(reinterpret_cast<HGLOBAL>(msg.lParam));
    }
    DestroyWindow(m_hWnd);
}

bool CCaptureWindow::TakePosted(UINT _uMsg, MSG* _pMsg)
{
    return PeekMessageW(_pMsg, m_hWnd, _uMsg, _uMsg, PM_REMOVE) != FALSE;
}

std::wstring CCaptureWindow::TakeRecordText(const MSG& _msg)
{
    HGLOBAL hBlock = reinterpret_cast<HGLOBAL>(_msg.lParam);
    const std::wstring strText = static_cast<const wchar_t*>(GlobalLock(hBlock));
    GlobalUnlock(hBlock);
    GlobalFree(hBlock);
    return strText;
}

LRESULT CALLBACK CCaptureWindow::WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_NCCREATE)
        SetWindowLongPtrW(_hWnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(_lParam)->lpCreateParams));
    auto* pSelf = reinterpret_cast<CCaptureWindow*>(GetWindowLongPtrW(_hWnd, GWLP_USERDATA));
    if (pSelf && _uMsg >= WM_USER)
        pSelf->m_vecSent.push_back({_uMsg, _wParam, _lParam});
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}
