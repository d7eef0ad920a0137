// The end of the user's session. The system asks with WM_QUERYENDSESSION, and every plug-in
// is closed then, before the system may end the process. Any process can send that query,
// and the system tells with WM_ENDSESSION whether the session really ends; when it goes on
// (WM_ENDSESSION FALSE, or no WM_ENDSESSION within SESSION_ANSWER_MS of the query), the
// plug-ins get their after-load call again, so none stays closed while the host runs.
#pragma once
#include <windows.h>

const DWORD SESSION_ANSWER_MS = 30000;

void OnQueryEndSession();
void OnEndSession(WPARAM _wEnding);
// The timer that stands in for a WM_ENDSESSION that never came.
void OnSessionAnswerTimer();
