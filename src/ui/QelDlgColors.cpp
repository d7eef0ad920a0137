#include "ui/QelDlgColors.h"

namespace {

// One row per colour (field order), one column per scheme, as COLORREF 0x00BBGGRR.
const COLORREF SCHEME_TABLE[QEL_COLOR_COUNT][QEL_SCHEME_COUNT] = {
    {0xFFFFFF, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // background
    {0xC04040, 0xC08080, 0xFF8080, 0xFF8080, 0xFF8080},   // highlighted text
    {0x000000, 0xFAFAFF, 0x3F3F3F, 0xFFFFC0, 0xC0FFC0},   // text
    {0xA0A0A0, 0x7F7F7F, 0x7F7F7F, 0xC0C080, 0x80C080},   // disabled text
    {0xD77800, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // focus frame
    {0xC0C0C0, 0x3F3F3F, 0xFCFCFC, 0x8C3F28, 0x3F3F7F},   // frame
    {0xFFFFFF, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // field background
    {0xCCCCCC, 0x2D2D2D, 0xF5F5F5, 0x803F3F, 0x64648C},   // button face
    {0x808080, 0x555555, 0xDEDEDE, 0xC07F7F, 0x8080C0},   // button pressed
    {0xF0F0F0, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // pane background
    {0x000000, 0x20FFFF, 0xFF3F3F, 0xFF0000, 0x008080},   // node text
    {0x000000, 0xE6FFFF, 0x3F3F3F, 0x553F3F, 0x004040},   // module text
    {0x7F7F7F, 0xC0C0C0, 0x7F7F7F, 0x7F7F7F, 0x7F7F7F},   // disabled module text
    {0xF5F5F5, 0x646464, 0xF0F0FA, 0xFFEBE6, 0xF0F0FF},   // list background
    {0xFCFCFC, 0x8C8C8C, 0xFFFFFF, 0xFFFAF5, 0xFAFAFF},   // list alternate rows
    {0x000000, 0xE6FFFF, 0x3F3F3F, 0x553F3F, 0x004040},   // list text
    {0x0000FF, 0x00C0C0, 0x0000FF, 0x0000FF, 0x0000FF},   // other version text
};

// The colour each brush is made of, in brush order (the selection brush has its own colour).
const EQelColor BRUSH_COLORS[QEL_BRUSH_COUNT - 1] = {
    QEL_COLOR_BACKGROUND, QEL_COLOR_FIELDBACK,  QEL_COLOR_FOCUSFRAME,    QEL_COLOR_FRAME,
    QEL_COLOR_BUTTONFACE, QEL_COLOR_BUTTONPRESSED, QEL_COLOR_PANEBACK,
};

// The screen's nearest colour; the colour itself when the screen cannot say.
COLORREF NearestColor(HDC _hdcScreen, COLORREF _cr)
{
    const COLORREF crNearest = _hdcScreen ? GetNearestColor(_hdcScreen, _cr) : CLR_INVALID;
    return crNearest == CLR_INVALID ? _cr : crNearest;
}

} // namespace

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
        m_acrColors[i] = NearestColor(hdcScreen, SCHEME_TABLE[i][_dwScheme]);
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
