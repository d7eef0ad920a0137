#include "CtlOutput.h"

#include <cstdarg>
#include <strsafe.h>

namespace {

bool WriteTo(DWORD _dwStdHandle, const std::wstring& _strText)
{
    const HANDLE hOut = GetStdHandle(_dwStdHandle);
    if (hOut == nullptr || hOut == INVALID_HANDLE_VALUE)
        return false;
    DWORD dwMode = 0;
    DWORD dwWritten = 0;
    if (GetConsoleMode(hOut, &dwMode))
        return WriteConsoleW(hOut, _strText.data(), static_cast<DWORD>(_strText.size()), &dwWritten, nullptr) != FALSE;
    const std::string strUtf8 = ToUtf8(_strText);
    return WriteFile(hOut, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten, nullptr) &&
           dwWritten == strUtf8.size();
}

} // namespace

bool WriteOut(const std::wstring& _strText)
{
    return WriteTo(STD_OUTPUT_HANDLE, _strText);
}

void WriteError(const std::wstring& _strText)
{
    WriteTo(STD_ERROR_HANDLE, L"tvrctl: " + _strText + L"\n");
}

std::wstring Format(const wchar_t* _pszFormat, ...)
{
    wchar_t szText[4096];
    va_list args;
    va_start(args, _pszFormat);
    StringCchVPrintfW(szText, ARRAYSIZE(szText), _pszFormat, args);
    va_end(args);
    return szText;
}

std::wstring GroupDigits(ULONGLONG _ullValue)
{
    std::wstring strDigits = std::to_wstring(_ullValue);
    for (size_t i = strDigits.size(); i > 3; i -= 3)
        strDigits.insert(i - 3, 1, L',');
    return strDigits;
}

std::string ToUtf8(const std::wstring& _strText)
{
    const int cb = WideCharToMultiByte(CP_UTF8, 0, _strText.data(), static_cast<int>(_strText.size()), nullptr, 0, nullptr, nullptr);
    std::string strUtf8(static_cast<size_t>(cb > 0 ? cb : 0), '\0');
    if (cb > 0)
        WideCharToMultiByte(CP_UTF8, 0, _strText.data(), static_cast<int>(_strText.size()), &strUtf8[0], cb, nullptr, nullptr);
    return strUtf8;
}

std::wstring FromUtf8(const std::string& _strText)
{
    const int cch = MultiByteToWideChar(CP_UTF8, 0, _strText.data(), static_cast<int>(_strText.size()), nullptr, 0);
    std::wstring strWide(static_cast<size_t>(cch > 0 ? cch : 0), L'\0');
    if (cch > 0)
        MultiByteToWideChar(CP_UTF8, 0, _strText.data(), static_cast<int>(_strText.size()), &strWide[0], cch);
    return strWide;
}
