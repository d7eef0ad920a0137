// The main window's two timers and the wake-up after a resume from suspend.
#pragma once
#include <windows.h>

enum WindowTimer : UINT_PTR
{
    TIMER_DEBUGSETTINGS = 1,   // hourly: debug level and the debug list's module report
    TIMER_WAKEUP = 2,          // every 10 s: bus message 73 once after a resume
    TIMER_SESSIONANSWER = 3,   // once, after a session-end query that no answer followed
};

void StartWindowTimers();
void OnWindowTimer(UINT_PTR _uTimerId);
void OnPowerBroadcast(WPARAM _wParam, LPARAM _lParam);
