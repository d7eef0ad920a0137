#include "CaptureWindow.h"

#include "TelvarinPlugin.h"
#include "bus/BusBlockRegistry.h"
#include "bus/BusRecord.h"

namespace tvr {

namespace {
const wchar_t CAPTURE_CLASS[] = L"TelvarinCaptureWindow";
// Registered window messages (0xC000 and up) are broadcasts of the system, not the program's.
const UINT LAST_PROGRAM_MESSAGE = 0xBFFF;
} // namespace

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
    for (const SentMessage& message : m_vecSent)
    {
        if (message.uMsg == WM_QEL_BUS)
            CBusBlock::Accept(message.lParam, static_cast<UINT>(message.wParam)).Release();
    }
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
    {
        if (msg.message == WM_QEL_BUS)
            CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam)).Release();
    }
    DestroyWindow(m_hWnd);
}

void CCaptureWindow::Pump()
{
    MSG msg;
    while (PeekMessageW(&msg, m_hWnd, 0, 0, PM_REMOVE))
        DispatchMessageW(&msg);
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

bool CCaptureWindow::TakeRecord(UINT _uType, std::wstring* _pstrRecord)
{
    MSG msg;
    while (TakePosted(WM_QEL_BUS, &msg))
    {
        const bool bMatch = msg.wParam == _uType;
        if (bMatch)
            *_pstrRecord = RecordOfBlock(msg.lParam);
        CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam)).Release();
        if (bMatch)
            return true;
    }
    return false;
}

std::vector<PostedRecord> CCaptureWindow::TakeRecords()
{
    std::vector<PostedRecord> vecRecords;
    MSG msg;
    while (TakePosted(WM_QEL_BUS, &msg))
    {
        const wchar_t* pszRecord = RecordOfBlock(msg.lParam);
        const UINT uType = static_cast<UINT>(msg.wParam);
        vecRecords.push_back({uType, GetBusValue(pszRecord, uType == QEL_BUSMSG_LASTERROR ? L"LastErr" : L"Text"),
                              GetBusValue2(pszRecord, L"Level"), GetBusValue2(pszRecord, L"Thread")});
        CBusBlock::Accept(msg.lParam, static_cast<UINT>(msg.wParam)).Release();
    }
    return vecRecords;
}

std::vector<std::wstring> CCaptureWindow::TraceLines(const std::vector<PostedRecord>& _vecRecords, const wchar_t* _pszPart)
{
    std::vector<std::wstring> vecLines;
    for (const PostedRecord& record : _vecRecords)
    {
        if (record.uType == QEL_BUSMSG_TRACE && record.strText.find(_pszPart) != std::wstring::npos)
            vecLines.push_back(record.strText);
    }
    return vecLines;
}

LRESULT CCaptureWindow::Record(UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg != WM_QEL_BUS)
    {
        m_vecSent.push_back({_uMsg, _wParam, _lParam, 0, std::wstring(), InSendMessage()});
        return 0;
    }
    m_vecSent.push_back({_uMsg, _wParam, _lParam, GlobalSize(reinterpret_cast<HGLOBAL>(_lParam)),
                         RecordOfBlock(_lParam), InSendMessage()});
    return m_lBusResult;
}

LRESULT CALLBACK CCaptureWindow::WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam)
{
    if (_uMsg == WM_NCCREATE)
        SetWindowLongPtrW(_hWnd, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(_lParam)->lpCreateParams));
    auto* pSelf = reinterpret_cast<CCaptureWindow*>(GetWindowLongPtrW(_hWnd, GWLP_USERDATA));
    if (pSelf && _uMsg >= WM_USER && _uMsg <= LAST_PROGRAM_MESSAGE)
        return pSelf->Record(_uMsg, _wParam, _lParam);
    return DefWindowProcW(_hWnd, _uMsg, _wParam, _lParam);
}

} // namespace tvr
