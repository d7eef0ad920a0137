// The state the main window's handlers share.
#pragma once
#include <windows.h>

// What the main window's handlers keep between messages, on the main thread only: the
// colour scheme, font and language last announced, the module that reported the last
// error, the last error text and the tray exit guard. One object for the process, reached
// through MainWindowState().
class CMainWindowState
{
public:
    CMainWindowState() = default;
    CMainWindowState(const CMainWindowState&) = delete;
    CMainWindowState& operator=(const CMainWindowState&) = delete;

    DWORD GetSchemeIndex() const { return m_dwSchemeIndex; }
    const wchar_t* GetFontName() const { return m_szFontName; }
    const wchar_t* GetLanguageName() const { return m_szLanguageName; }
    // Takes "SchemeIndex", "UsedFont" and "UsedLanguage" from a scheme record; longer texts
    // are cut to the buffers.
    void TakeScheme(const wchar_t* _pszRecord);

    // The module that reported the error status last; 0 after any other status.
    UINT_PTR GetErrorInstance() const { return m_uErrorInstance; }
    void SetErrorInstance(UINT_PTR _uInstance) { m_uErrorInstance = _uInstance; }

    const wchar_t* GetLastErrorText() const { return m_szLastError; }
    // Takes "LastErr" from a last-error record; a longer text is cut to the buffer.
    void TakeLastError(const wchar_t* _pszRecord);

    // The tray exit command runs once at a time: false while it runs already.
    bool BeginExit();
    void EndExit() { m_dwExitGuard = 0; }
    bool IsExitRunning() const { return m_dwExitGuard != 0; }

private:
    DWORD m_dwSchemeIndex = 0;   // changed only by a scheme record
    wchar_t m_szFontName[128] = L"Segoe UI";
    wchar_t m_szLanguageName[32] = L"";
    UINT_PTR m_uErrorInstance = 0;
    wchar_t m_szLastError[256] = L"";
    DWORD m_dwExitGuard = 0;   // set while the tray exit command runs
};

// The main window's one state object.
CMainWindowState& MainWindowState();
