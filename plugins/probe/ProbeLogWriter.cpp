#include "ProbeLogWriter.h"

#include <windows.h>

#include "ProbeConfig.h"

namespace {

std::wstring Escape(const std::wstring& _str)
{
    std::wstring strOut;
    strOut.reserve(_str.size());
    for (const wchar_t ch : _str)
    {
        switch (ch)
        {
        case L'\\': strOut += L"\\\\"; break;
        case L'\r': strOut += L"\\r"; break;
        case L'\n': strOut += L"\\n"; break;
        case L'|': strOut += L"\\p"; break;
        default: strOut += ch; break;
        }
    }
    return strOut;
}

std::string ToUtf8(const std::wstring& _str)
{
    if (_str.empty())
        return std::string();
    const int cbOut = WideCharToMultiByte(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), nullptr, 0, nullptr, nullptr);
    std::string strOut(static_cast<size_t>(cbOut), '\0');
    WideCharToMultiByte(CP_UTF8, 0, _str.data(), static_cast<int>(_str.size()), &strOut[0], cbOut, nullptr, nullptr);
    return strOut;
}

} // namespace

void WriteProbeCall(const wchar_t* _pszCall, const std::wstring& _strType, const ProbeFields& _fields)
{
    const ProbeConfig& config = GetProbeConfig();
    std::wstring strLine = Escape(config.strModule) + L"|" + _pszCall + L"|" + _strType;
    for (const auto& field : _fields)
        strLine += L"|" + Escape(field.first) + L"=" + Escape(field.second);
    const std::string strUtf8 = ToUtf8(strLine + L"\r\n");

    // Opened per line: every line is on disk when the call returns, whichever copy wrote it.
    HANDLE hFile = CreateFileW(config.strLog.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return;
    DWORD dwWritten = 0;
    WriteFile(hFile, strUtf8.data(), static_cast<DWORD>(strUtf8.size()), &dwWritten, nullptr);
    CloseHandle(hFile);
}
