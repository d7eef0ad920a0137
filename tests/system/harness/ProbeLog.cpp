#include "ProbeLog.h"

#include <algorithm>

namespace tvr {

const wchar_t PROBE_BUILT_NAME[] = L"PluginProbe.dll";

namespace {

std::wstring IniLine(const std::wstring& _strKey, const std::wstring& _strValue)
{
    return _strKey + L"=" + _strValue + L"\r\n";
}

std::wstring IniLine(const std::wstring& _strKey, long long _llValue)
{
    return IniLine(_strKey, std::to_wstring(_llValue));
}

std::wstring FormatProbeIni(const std::wstring& _strLog, const ProbeSettings& _settings)
{
    std::wstring strIni = L"[Probe]\r\n" + IniLine(L"Log", _strLog) + IniLine(L"ID", _settings.iID) +
                          IniLine(L"IsUnicode", _settings.iIsUnicode) + IniLine(L"IsBeta", _settings.iIsBeta) +
                          IniLine(L"IsSupported", _settings.iIsSupported) + IniLine(L"CanDisable", _settings.iCanDisable) +
                          IniLine(L"DisableState", _settings.iDisableState) + IniLine(L"Return", _settings.iReturnDefault);
    if (!_settings.strName.empty())
        strIni += IniLine(L"Name", _settings.strName);
    for (const auto& entry : _settings.mapReturns)
        strIni += IniLine(L"Return" + std::to_wstring(entry.first), entry.second);
    if (!_settings.strFaultOn.empty())
        strIni += IniLine(L"FaultOn", _settings.strFaultOn);
    if (!_settings.strHangOn.empty())
        strIni += IniLine(L"HangOn", _settings.strHangOn) + IniLine(L"HangMs", std::to_wstring(_settings.dwHangMs));
    if (!_settings.strPostOn.empty())
    {
        std::wstring strFields;
        for (const auto& field : _settings.vecPostFields)
            strFields += (strFields.empty() ? L"" : L"|") + field.first + L"=" + field.second;
        strIni += IniLine(L"PostOn", _settings.strPostOn) + IniLine(L"PostType", _settings.uPostType) +
                  IniLine(L"PostSync", _settings.bPostSync ? 1 : 0) + IniLine(L"PostFields", strFields) +
                  IniLine(L"PostMemBlock", _settings.uPostMemBlock) +
                  IniLine(L"PostBlockChars", _settings.uPostBlockChars) + IniLine(L"PostCutAt", _settings.uPostCutAt) +
                  IniLine(L"PostTypeLine", _settings.iPostTypeLine) + IniLine(L"PostFill", _settings.bPostFill) +
                  IniLine(L"PostMemBlockMovable", _settings.bPostMemBlockMovable);
    }
    return strIni;
}

std::string Unescape(const std::string& _str)
{
    std::string strOut;
    for (size_t i = 0; i < _str.size(); ++i)
    {
        if (_str[i] != '\\' || i + 1 == _str.size())
        {
            strOut += _str[i];
            continue;
        }
        const char ch = _str[++i];
        strOut += ch == 'r' ? '\r' : ch == 'n' ? '\n' : ch == 'p' ? '|' : ch;
    }
    return strOut;
}

std::vector<std::string> SplitColumns(const std::string& _strLine)
{
    std::vector<std::string> vecColumns(1);
    for (size_t i = 0; i < _strLine.size(); ++i)
    {
        if (_strLine[i] == '|')
            vecColumns.emplace_back();
        else
        {
            // An escape stays whole so that "\|" never splits (the probe writes "|" as "\p").
            vecColumns.back() += _strLine[i];
            if (_strLine[i] == '\\' && i + 1 < _strLine.size())
                vecColumns.back() += _strLine[++i];
        }
    }
    return vecColumns;
}

} // namespace

bool WriteProbeConfig(const std::wstring& _strDllPath, const std::wstring& _strLog, const ProbeSettings& _settings)
{
    const size_t uDot = _strDllPath.find_last_of(L'.');
    const std::wstring strIniPath = _strDllPath.substr(0, uDot) + L".ini";
    // UTF-16LE with a byte-order mark, so that the profile functions keep every character.
    const std::wstring strText = L"\xFEFF" + FormatProbeIni(_strLog, _settings);
    HANDLE hFile = CreateFileW(strIniPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (hFile == INVALID_HANDLE_VALUE)
        return false;
    const DWORD cbText = static_cast<DWORD>(strText.size() * sizeof(wchar_t));
    DWORD dwWritten = 0;
    const BOOL bOk = WriteFile(hFile, strText.data(), cbText, &dwWritten, nullptr);
    CloseHandle(hFile);
    return bOk && dwWritten == cbText;
}

bool InstallProbe(const CInstallFolder& _folder, const std::wstring& _strCategory, const std::wstring& _strAsName,
                  const std::wstring& _strLog, const ProbeSettings& _settings)
{
    return _folder.AddPlugin(_strCategory, PROBE_BUILT_NAME, _strAsName) &&
           WriteProbeConfig(_folder.Child(_strCategory + L"\\" + _strAsName), _strLog, _settings);
}

bool CopyProbe(const std::wstring& _strTarget, const std::wstring& _strLog, const ProbeSettings& _settings)
{
    const std::wstring strSource = std::wstring(TVR_TEST_PLUGINS_DIR) + L"\\" + PROBE_BUILT_NAME;
    return CopyFileW(strSource.c_str(), _strTarget.c_str(), FALSE) && WriteProbeConfig(_strTarget, _strLog, _settings);
}

ProbeSettings ProbeWithId(int _iID)
{
    ProbeSettings settings;
    settings.iID = _iID;
    return settings;
}

std::string ProbeCall::Field(const std::string& _strKey) const
{
    for (const auto& field : vecFields)
    {
        if (field.first == _strKey)
            return field.second;
    }
    return std::string();
}

ProbeCall ParseProbeLine(const std::string& _strLine)
{
    const std::vector<std::string> vecColumns = SplitColumns(_strLine);
    ProbeCall call;
    call.strModule = Unescape(vecColumns[0]);
    if (vecColumns.size() > 1)
        call.strCall = vecColumns[1];
    if (vecColumns.size() > 2)
        call.strType = vecColumns[2];
    for (size_t i = 3; i < vecColumns.size(); ++i)
    {
        const size_t uEq = vecColumns[i].find('=');
        const std::string strKey = vecColumns[i].substr(0, uEq);
        const std::string strValue = uEq == std::string::npos ? std::string() : vecColumns[i].substr(uEq + 1);
        call.vecFields.emplace_back(Unescape(strKey), Unescape(strValue));
    }
    return call;
}

std::vector<ProbeCall> ReadProbeLog(const std::wstring& _strLog)
{
    const std::string strBytes = ReadFileBytes(_strLog);
    std::vector<ProbeCall> vecCalls;
    size_t uStart = 0;
    for (size_t uEnd = strBytes.find("\r\n"); uEnd != std::string::npos; uEnd = strBytes.find("\r\n", uStart))
    {
        vecCalls.push_back(ParseProbeLine(strBytes.substr(uStart, uEnd - uStart)));
        uStart = uEnd + 2;
    }
    return vecCalls;
}

bool WaitForProbeCall(const std::wstring& _strLog, const std::function<bool(const ProbeCall&)>& _match,
                      DWORD _dwTimeoutMs)
{
    return WaitUntil([&] {
        const std::vector<ProbeCall> vecCalls = ReadProbeLog(_strLog);
        return std::any_of(vecCalls.begin(), vecCalls.end(), _match);
    }, _dwTimeoutMs);
}

std::vector<std::string> ProbeSequence(const std::vector<ProbeCall>& _vecLog, const std::vector<std::string>& _vecCalls)
{
    std::vector<std::string> vecSequence;
    for (const ProbeCall& call : _vecLog)
    {
        if (std::find(_vecCalls.begin(), _vecCalls.end(), call.strCall) != _vecCalls.end())
            vecSequence.push_back(call.strModule + "." + call.strCall);
    }
    return vecSequence;
}

} // namespace tvr
