// The main window procedure and what it answers itself: the guard that keeps the window
// hidden and titled, its timers and the end of the user's session.
#pragma once
#include <windows.h>

// The main window is hidden and titled "Telvarin" for its whole life. Other processes can
// send it any message; the default handling of some of them would show it (system
// commands, WM_SETREDRAW, a show request), clear its title (WM_NCCREATE, WM_NCDESTROY)
// or give it a hot key; others open its system menu or track a frame button in a modal
// loop that holds the main thread. Those are answered here without the default handling.
// True when the message was answered (the result is in *_plResult).
bool GuardMainWindow(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam, LRESULT* _plResult);

// The main window's two timers and the wake-up after a resume from suspend.
enum WindowTimer : UINT_PTR
{
    TIMER_DEBUGSETTINGS = 1,   // hourly: debug level and the debug list's module report
    TIMER_WAKEUP = 2,          // every 10 s: bus message 73 once after a resume
    TIMER_SESSIONANSWER = 3,   // once, after a session-end query that no answer followed
};

void StartWindowTimers();
void OnWindowTimer(UINT_PTR _uTimerId);
void OnPowerBroadcast(WPARAM _wParam, LPARAM _lParam);

// The end of the user's session. The system asks with WM_QUERYENDSESSION, and every plug-in
// is closed then, before the system may end the process. Any process can send that query,
// and the system tells with WM_ENDSESSION whether the session really ends; when it goes on
// (WM_ENDSESSION FALSE, or no WM_ENDSESSION within SESSION_ANSWER_MS of the query), the
// plug-ins get their after-load call again, so none stays closed while the host runs.
// WM_ENDSESSION TRUE finds every plug-in closed: those reopened after a late answer (a
// person who looked at the shutdown screen for a minute) are closed again at once. The
// process then ends with the session; should it still run SESSION_ANSWER_MS later (a
// service-mode host at a logoff, a message another process sent), they are reopened.
const DWORD SESSION_ANSWER_MS = 30000;

void OnQueryEndSession();
void OnEndSession(WPARAM _wEnding);
// The timer that stands in for a WM_ENDSESSION that never came.
void OnSessionAnswerTimer();

// True when the window procedure has a handler for the message (each row of the main
// window's table handled by the procedure has one).
bool HasMainWindowHandler(UINT _uMsg);

// Window procedure of the main window: a message whose row names the procedure goes to its
// handler; the guard, the table's default handling and "TaskbarCreated" take the rest.
LRESULT CALLBACK MainWindowProc(HWND _hWnd, UINT _uMsg, WPARAM _wParam, LPARAM _lParam);
