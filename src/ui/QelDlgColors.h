// The colour scheme shared by the host's windows: 17 colours and 8 solid brushes, chosen by
// scheme number. The look of a window is its colours and its fonts, so this header brings both.
#pragma once
#include <windows.h>

#include "base/Handle.h"
#include "ui/QelDlgFonts.h"

// Colours in field order.
enum EQelColor
{
    QEL_COLOR_BACKGROUND,
    QEL_COLOR_HIGHLIGHTTEXT,
    QEL_COLOR_TEXT,
    QEL_COLOR_DISABLEDTEXT,
    QEL_COLOR_FOCUSFRAME,
    QEL_COLOR_FRAME,
    QEL_COLOR_FIELDBACK,
    QEL_COLOR_BUTTONFACE,
    QEL_COLOR_BUTTONPRESSED,
    QEL_COLOR_PANEBACK,
    QEL_COLOR_NODETEXT,
    QEL_COLOR_MODULETEXT,
    QEL_COLOR_DISABLEDMODULETEXT,
    QEL_COLOR_LISTBACK,
    QEL_COLOR_LISTALTBACK,
    QEL_COLOR_LISTTEXT,
    QEL_COLOR_OTHERVERSIONTEXT,
    QEL_COLOR_COUNT
};

// Brushes in field order.
enum EQelBrush
{
    QEL_BRUSH_BACKGROUND,
    QEL_BRUSH_FIELDBACK,
    QEL_BRUSH_FOCUSFRAME,
    QEL_BRUSH_FRAME,
    QEL_BRUSH_BUTTONFACE,
    QEL_BRUSH_BUTTONPRESSED,
    QEL_BRUSH_PANEBACK,
    QEL_BRUSH_SELECTION,
    QEL_BRUSH_COUNT
};

const DWORD QEL_SCHEME_COUNT = 5;
const COLORREF QEL_SELECTION_COLOR = RGB(0, 120, 215);

class CQelDlgColors
{
public:
    CQelDlgColors() = default;
    virtual ~CQelDlgColors() = default;
    CQelDlgColors(const CQelDlgColors&) = delete;
    CQelDlgColors& operator=(const CQelDlgColors&) = delete;

    // Schemes 0 to 4 take their colours (mapped to the screen's nearest colours) and brushes;
    // any other number leaves every colour 0 and every brush null.
    void SetScheme(DWORD _dwScheme);
    DWORD GetScheme() const { return m_dwScheme; }
    COLORREF GetColor(EQelColor _eColor) const;
    HBRUSH GetBrush(EQelBrush _eBrush) const;

private:
    COLORREF m_acrColors[QEL_COLOR_COUNT] = {};
    CGdiObject m_ahbrBrushes[QEL_BRUSH_COUNT];
    DWORD m_dwScheme = 0;
};

extern CQelDlgColors g_DlgColors;
