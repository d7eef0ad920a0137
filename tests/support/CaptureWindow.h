// A hidden window of the test thread standing in for the host's main window (or any
// receiver of bus messages). It records what reaches its procedure (sent messages, and
// posted ones once Pump dispatches them) and leaves posted messages in the queue for the
// test to take one by one or as bus records.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace tvr {

// A message of the program's range (WM_USER up to the registered messages) that reached
// the window procedure; for bus messages also the block's size and record text.
struct SentMessage
{
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
    SIZE_T cbBlock;
    std::wstring strText;
    BOOL bInSend;
};

// A posted bus message taken from the queue: its type and the fields tests look at.
struct PostedRecord
{
    UINT uType;
    std::wstring strText;      // the "Text" field (trace) or "LastErr" (last error)
    std::wstring strLevel;
    std::wstring strThread;
};

class CCaptureWindow
{
public:
    CCaptureWindow();
    ~CCaptureWindow();   // releases the bus blocks it got and those still queued
    CCaptureWindow(const CCaptureWindow&) = delete;
    CCaptureWindow& operator=(const CCaptureWindow&) = delete;
    HWND Handle() const { return m_hWnd; }
    const std::vector<SentMessage>& Sent() const { return m_vecSent; }
    // What the procedure returns for a bus message.
    void SetBusResult(LRESULT _lResult) { m_lBusResult = _lResult; }
    // Dispatches what was posted to the window, so that it is recorded in Sent().
    void Pump();
    // Removes the next posted message of that number; false when none waits.
    bool TakePosted(UINT _uMsg, MSG* _pMsg);
    // The record text of a posted bus message (the block is freed).
    static std::wstring TakeRecordText(const MSG& _msg);
    // Takes posted bus messages up to the next one of that type and gives its record;
    // false when none waits. The blocks are released.
    bool TakeRecord(UINT _uType, std::wstring* _pstrRecord);
    // Every bus message posted so far, in order; the blocks are released.
    std::vector<PostedRecord> TakeRecords();
    // The trace texts among the records that contain _pszPart.
    static std::vector<std::wstring> TraceLines(const std::vector<PostedRecord>& _vecRecords, const wchar_t* _pszPart);

private:
    static LRESULT CALLBACK WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    LRESULT Record(UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    HWND m_hWnd = nullptr;
    LRESULT m_lBusResult = 0;
    std::vector<SentMessage> m_vecSent;
};

} // namespace tvr
