// Colour scheme and fonts shared by the host's windows; drawing arrives with the dialog look issue.
#pragma once
#include <windows.h>

class CQelDlgColors
{
public:
    CQelDlgColors() = default;
    virtual ~CQelDlgColors() = default;
    void SetScheme(DWORD _dwScheme) { m_dwScheme = _dwScheme; }
    DWORD GetScheme() const { return m_dwScheme; }
private:
    DWORD m_dwScheme = 0;
};

class CQelDlgFonts
{
public:
    CQelDlgFonts() = default;
    virtual ~CQelDlgFonts() = default;
};

extern CQelDlgColors g_DlgColors;
extern CQelDlgFonts g_DlgFonts;
