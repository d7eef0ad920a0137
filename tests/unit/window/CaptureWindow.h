// A window of the test thread standing in for the host's main window: it records the
// messages sent to it and leaves posted ones in the queue for the test to take.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct SentMessage
{
    UINT uMsg;
    WPARAM wParam;
    LPARAM lParam;
};

class CCaptureWindow
{
public:
    CCaptureWindow();
    ~CCaptureWindow();
    CCaptureWindow(const CCaptureWindow&) = delete;
    CCaptureWindow& operator=(const CCaptureWindow&) = delete;
    HWND Handle() const { return m_hWnd; }
    const std::vector<SentMessage>& Sent() const { return m_vecSent; }
    // Removes the next posted message of that number; false when none waits.
    bool TakePosted(UINT _uMsg, MSG* _pMsg);
    // The record text of a posted bus message (the block is freed).
    static std::wstring TakeRecordText(const MSG& _msg);

private:
    static LRESULT CALLBACK WindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
    HWND m_hWnd = nullptr;
    std::vector<SentMessage> m_vecSent;
};
