#include "Screen.h"

#include <cstdlib>
#include <cstdint>

#include "bus/Crc32.h"
#include "base/Handle.h"

namespace {

const DWORD TASKBAR_WAIT_MS = 20000;

void PutBigEndian(std::string& _str, uint32_t _dw)
{
    for (int i = 3; i >= 0; --i)
        _str += static_cast<char>((_dw >> (8 * i)) & 0xFF);
}

void PutChunk(std::string& _strPng, const char* _pszType, const std::string& _strData)
{
    PutBigEndian(_strPng, static_cast<uint32_t>(_strData.size()));
    const std::string strTyped = std::string(_pszType, 4) + _strData;
    _strPng += strTyped;
    PutBigEndian(_strPng, g_Crc32.Compute(strTyped.data(), strTyped.size()));
}

// zlib stream of stored (uncompressed) blocks.
std::string StoredZlib(const std::string& _strRaw)
{
    std::string strOut("\x78\x01", 2);
    size_t pos = 0;
    do
    {
        const size_t cb = _strRaw.size() - pos < 65535 ? _strRaw.size() - pos : 65535;
        const bool bLast = pos + cb == _strRaw.size();
        strOut += static_cast<char>(bLast ? 1 : 0);
        strOut += static_cast<char>(cb & 0xFF);
        strOut += static_cast<char>(cb >> 8);
        strOut += static_cast<char>(~cb & 0xFF);
        strOut += static_cast<char>((~cb >> 8) & 0xFF);
        strOut.append(_strRaw, pos, cb);
        pos += cb;
    } while (pos < _strRaw.size());
    uint32_t a = 1, b = 0;
    for (unsigned char c : _strRaw)
    {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    PutBigEndian(strOut, (b << 16) | a);
    return strOut;
}

std::wstring ShotsFolder()
{
    return TVR_GUI_SHOTS_DIR;
}

} // namespace

CScreenImage::CScreenImage(const RECT& _rc)
    : m_iWidth(_rc.right - _rc.left), m_iHeight(_rc.bottom - _rc.top)
{
    if (m_iWidth <= 0 || m_iHeight <= 0)
    {
        m_iWidth = m_iHeight = 0;
        return;
    }
    m_vecPixels.assign(static_cast<size_t>(m_iWidth) * m_iHeight, 0);
    HDC hdcScreen = GetDC(nullptr);
    HDC hdcMem = CreateCompatibleDC(hdcScreen);
    BITMAPINFO bi = {};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), m_iWidth, -m_iHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* pBits = nullptr;
    HBITMAP hBitmap = CreateDIBSection(hdcMem, &bi, DIB_RGB_COLORS, &pBits, nullptr, 0);
    if (hBitmap && pBits)
    {
        HGDIOBJ hOld = SelectObject(hdcMem, hBitmap);
        BitBlt(hdcMem, 0, 0, m_iWidth, m_iHeight, hdcScreen, _rc.left, _rc.top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const DWORD* pdw = static_cast<const DWORD*>(pBits);
        for (size_t i = 0; i < m_vecPixels.size(); ++i)
            m_vecPixels[i] = pdw[i] & 0xFFFFFF;
        SelectObject(hdcMem, hOld);
        DeleteObject(hBitmap);
    }
    DeleteDC(hdcMem);
    ReleaseDC(nullptr, hdcScreen);
}

COLORREF CScreenImage::Pixel(int _x, int _y) const
{
    if (_x < 0 || _y < 0 || _x >= m_iWidth || _y >= m_iHeight)
        return CLR_INVALID;
    const DWORD dw = m_vecPixels[static_cast<size_t>(_y) * m_iWidth + _x];
    return RGB((dw >> 16) & 0xFF, (dw >> 8) & 0xFF, dw & 0xFF);
}

int CScreenImage::Count(COLORREF _cr, int _iTolerance) const
{
    int iCount = 0;
    for (int y = 0; y < m_iHeight; ++y)
        for (int x = 0; x < m_iWidth; ++x)
        {
            const COLORREF cr = Pixel(x, y);
            if (std::abs(GetRValue(cr) - GetRValue(_cr)) <= _iTolerance && std::abs(GetGValue(cr) - GetGValue(_cr)) <= _iTolerance
                && std::abs(GetBValue(cr) - GetBValue(_cr)) <= _iTolerance)
                ++iCount;
        }
    return iCount;
}

int CScreenImage::Difference(const CScreenImage& _other) const
{
    if (_other.m_vecPixels.size() != m_vecPixels.size())
        return -1;
    int iCount = 0;
    for (size_t i = 0; i < m_vecPixels.size(); ++i)
        iCount += m_vecPixels[i] != _other.m_vecPixels[i];
    return iCount;
}

bool CScreenImage::SavePng(const std::wstring& _strName) const
{
    if (m_vecPixels.empty())
        return false;
    std::string strRaw;
    strRaw.reserve(static_cast<size_t>(m_iHeight) * (1 + 3 * m_iWidth));
    for (int y = 0; y < m_iHeight; ++y)
    {
        strRaw += '\0';   // filter: none
        for (int x = 0; x < m_iWidth; ++x)
        {
            const DWORD dw = m_vecPixels[static_cast<size_t>(y) * m_iWidth + x];
            strRaw += static_cast<char>((dw >> 16) & 0xFF);
            strRaw += static_cast<char>((dw >> 8) & 0xFF);
            strRaw += static_cast<char>(dw & 0xFF);
        }
    }
    std::string strPng("\x89PNG\r\n\x1a\n", 8);
    std::string strHeader;
    PutBigEndian(strHeader, static_cast<uint32_t>(m_iWidth));
    PutBigEndian(strHeader, static_cast<uint32_t>(m_iHeight));
    strHeader += std::string("\x08\x02\x00\x00\x00", 5);   // 8 bits, RGB
    PutChunk(strPng, "IHDR", strHeader);
    PutChunk(strPng, "IDAT", StoredZlib(strRaw));
    PutChunk(strPng, "IEND", "");
    const std::wstring strPath = ShotsFolder() + L"\\" + _strName + L".png";
    CFileHandle file(CreateFileW(strPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD dwWritten = 0;
    return file && WriteFile(file.Get(), strPng.data(), static_cast<DWORD>(strPng.size()), &dwWritten, nullptr)
           && dwWritten == strPng.size();
}

RECT TrayIconArea()
{
    RECT rc = {};
    const HWND hWndTaskbar = FindWindowW(L"Shell_TrayWnd", nullptr);
    GetWindowRect(hWndTaskbar, &rc);
    rc.left = rc.right - 160;   // the icons sit at the taskbar's right end
    return rc;
}

std::wstring GuiUnavailableReason()
{
    wchar_t szReason[512] = L"";
    if (GetEnvironmentVariableW(L"TVR_GUI_SKIP", szReason, ARRAYSIZE(szReason)) > 0)
        return szReason;
    const DWORD dwEnd = GetTickCount() + TASKBAR_WAIT_MS;
    do
    {
        RECT rc = {};
        const HWND hWnd = FindWindowW(L"Shell_TrayWnd", nullptr);
        if (hWnd && GetWindowRect(hWnd, &rc) && rc.right > rc.left)
            return L"";
        Sleep(100);
    } while (GetTickCount() < dwEnd);
    return L"the virtual desktop shows no taskbar (Shell_TrayWnd)";
}
