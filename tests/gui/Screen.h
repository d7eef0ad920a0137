// What the virtual desktop shows: pixels of a screen rectangle, saved as PNG artefacts.
#pragma once
#include <windows.h>
#include <string>
#include <vector>

class CScreenImage
{
public:
    // Copies the rectangle of the screen (desktop coordinates).
    explicit CScreenImage(const RECT& _rc);
    int Width() const { return m_iWidth; }
    int Height() const { return m_iHeight; }
    COLORREF Pixel(int _x, int _y) const;   // image coordinates
    // How many pixels are close (each channel within the tolerance) to the colour.
    int Count(COLORREF _cr, int _iTolerance = 0) const;
    // Pixels that differ from the other image of the same size.
    int Difference(const CScreenImage& _other) const;
    // Writes the image as <shots folder>\<name>.png; false when it could not be written.
    bool SavePng(const std::wstring& _strName) const;
private:
    int m_iWidth = 0;
    int m_iHeight = 0;
    std::vector<DWORD> m_vecPixels;   // 0x00RRGGBB, top-down
};

// The desktop rectangle of the notification area's icons (the right end of the taskbar).
RECT TrayIconArea();
// Why GUI tests cannot run here; empty when the desktop with its taskbar is there.
std::wstring GuiUnavailableReason();
