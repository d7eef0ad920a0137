// The state the main window's handlers share.
#include "host/window/MainWindowState.h"

#include "TelvarinPlugin.h"

void CMainWindowState::TakeScheme(const wchar_t* _pszRecord)
{
    m_dwSchemeIndex = static_cast<DWORD>(GetBusNumber(_pszRecord, L"SchemeIndex"));
    CopyBusValue(_pszRecord, L"UsedFont", m_szFontName, ARRAYSIZE(m_szFontName));
    CopyBusValue(_pszRecord, L"UsedLanguage", m_szLanguageName, ARRAYSIZE(m_szLanguageName));
}

void CMainWindowState::TakeLastError(const wchar_t* _pszRecord)
{
    CopyBusValue(_pszRecord, L"LastErr", m_szLastError, ARRAYSIZE(m_szLastError));
}

bool CMainWindowState::BeginExit()
{
    if (m_dwExitGuard)
        return false;
    m_dwExitGuard = 1;
    return true;
}

CMainWindowState& MainWindowState()
{
    // Built on first use: the entry reads the scheme before any other object of the host.
    static CMainWindowState s_State;
    return s_State;
}
