#include "ui/QelDlgColors.h"

#include "TelvarinPlugin.h"

namespace {

// The host's colours are the SDK's scheme table, row for row.
static_assert(static_cast<int>(QEL_COLOR_COUNT) == static_cast<int>(SCHEME_COLOR_COUNT), "one colour per table row");
static_assert(QEL_SCHEME_COUNT == TELVARIN_SCHEME_COUNT, "one scheme per table column");

// The colour each brush is made of, in brush order (the selection brush has its own colour).
const EQelColor BRUSH_COLORS[QEL_BRUSH_COUNT - 1] = {
    QEL_COLOR_BACKGROUND, QEL_COLOR_FIELDBACK,     QEL_COLOR_FOCUSFRAME, QEL_COLOR_FRAME,
    QEL_COLOR_BUTTONFACE, QEL_COLOR_BUTTONPRESSED, QEL_COLOR_PANEBACK,
};

// The screen's nearest colour; the colour itself when the screen cannot say.
COLORREF NearestColor(HDC _hdcScreen, COLORREF _cr)
{
    const COLORREF crNearest = _hdcScreen ? GetNearestColor(_hdcScreen, _cr) : CLR_INVALID;
    return crNearest == CLR_INVALID ? _cr : crNearest;
}

}   // namespace

void CQelDlgColors::SetScheme(DWORD _dwScheme)
{
    m_dwScheme = _dwScheme;
    for (CGdiObject& brush : m_ahbrBrushes)
        brush.Reset();
    for (COLORREF& cr : m_acrColors)
        cr = 0;
    if (_dwScheme >= QEL_SCHEME_COUNT)
        return;
    HDC hdcScreen = GetWindowDC(nullptr);
    for (int i = 0; i < QEL_COLOR_COUNT; ++i)
        m_acrColors[i] = NearestColor(hdcScreen, GetSchemeColor(_dwScheme, i));
    if (hdcScreen)
        ReleaseDC(nullptr, hdcScreen);
    for (int i = 0; i < QEL_BRUSH_COUNT - 1; ++i)
        m_ahbrBrushes[i].Reset(CreateSolidBrush(m_acrColors[BRUSH_COLORS[i]]));
    m_ahbrBrushes[QEL_BRUSH_SELECTION].Reset(CreateSolidBrush(QEL_SELECTION_COLOR));
}

COLORREF CQelDlgColors::GetColor(EQelColor _eColor) const
{
    return _eColor >= 0 && _eColor < QEL_COLOR_COUNT ? m_acrColors[_eColor] : 0;
}

HBRUSH CQelDlgColors::GetBrush(EQelBrush _eBrush) const
{
    return _eBrush >= 0 && _eBrush < QEL_BRUSH_COUNT ? static_cast<HBRUSH>(m_ahbrBrushes[_eBrush].Get()) : nullptr;
}
