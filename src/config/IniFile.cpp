#include "config/IniFile.h"

#include <windows.h>
#include <vector>

#include "base/Handle.h"

namespace {

const BYTE UNICODE_MARK[2] = {0xFF, 0xFE};

}   // namespace

void CreateUnicodeIniFile(const wchar_t* _pszFile)
{
    const CFileHandle hFile(CreateFileW(_pszFile, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                        nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile)
        return;
    LARGE_INTEGER liSize = {};
    DWORD cbWritten = 0;
    if (GetFileSizeEx(hFile.Get(), &liSize) && liSize.QuadPart == 0)
        WriteFile(hFile.Get(), UNICODE_MARK, sizeof(UNICODE_MARK), &cbWritten, nullptr);
}

bool IsAnsiIniFile(const wchar_t* _pszFile)
{
    const CFileHandle hFile(CreateFileW(_pszFile, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!hFile)
        return false;
    BYTE abMark[2] = {0, 0};
    DWORD cbRead = 0;
    const BOOL bRead = ReadFile(hFile.Get(), abMark, sizeof(abMark), &cbRead, nullptr);
    return !(bRead && cbRead == sizeof(abMark) && abMark[0] == UNICODE_MARK[0] && abMark[1] == UNICODE_MARK[1]);
}

bool FitsAnsiCodePage(const wchar_t* _pszText)
{
    int cchText = 0;
    bool bAscii = true;
    for (; _pszText[cchText] != 0; ++cchText)
        bAscii = bAscii && _pszText[cchText] < 0x80;
    // ASCII is the same in every ANSI code page, and UTF-8 holds every character (and takes
    // neither the flag nor the report below).
    if (bAscii || GetACP() == CP_UTF8)
        return true;
    // Best-fit mappings (an accented letter to its plain one) would change the text, so
    // they are turned off, and the text must come back the same.
    BOOL bDefaultUsed = FALSE;
    const int cbAnsi =
        WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, _pszText, cchText, nullptr, 0, nullptr, &bDefaultUsed);
    if (cbAnsi <= 0 || bDefaultUsed)
        return false;
    std::vector<char> vecAnsi(static_cast<size_t>(cbAnsi));
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, _pszText, cchText, vecAnsi.data(), cbAnsi, nullptr,
                        &bDefaultUsed);
    std::vector<wchar_t> vecBack(static_cast<size_t>(cchText) + 1);
    const int cchBack = MultiByteToWideChar(CP_ACP, 0, vecAnsi.data(), cbAnsi, vecBack.data(), cchText + 1);
    return !bDefaultUsed && cchBack == cchText &&
           CompareStringOrdinal(_pszText, cchText, vecBack.data(), cchBack, FALSE) == CSTR_EQUAL;
}
