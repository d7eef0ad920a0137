#include "TraceSettings.h"

#include <windows.h>

#include "config/ConfigPath.h"

namespace {

const wchar_t SECTION[] = L"TraceFile";

int ReadNumber(const std::wstring& _strFile, const wchar_t* _pszKey, int _iDefault)
{
    return static_cast<int>(GetPrivateProfileIntW(SECTION, _pszKey, _iDefault, _strFile.c_str()));
}

bool WriteNumber(const std::wstring& _strFile, const wchar_t* _pszKey, int _iValue)
{
    return WritePrivateProfileStringW(SECTION, _pszKey, std::to_wstring(_iValue).c_str(), _strFile.c_str()) != FALSE;
}

} // namespace

std::wstring TraceSettingsFile(const std::wstring& _strConfigFolder)
{
    return _strConfigFolder + L"\\PluginDebugLog.ini";
}

STraceSettings ClampTraceSettings(STraceSettings _settings)
{
    if (_settings.iLevel < 0 || _settings.iLevel > TRACE_LEVEL_MAX)
        _settings.iLevel = TRACE_LEVEL_NONE;
    if (_settings.iKeepDays < 1)
        _settings.iKeepDays = 1;
    if (_settings.iKeepDays > KEEP_DAYS_MAX)
        _settings.iKeepDays = KEEP_DAYS_MAX;
    return _settings;
}

STraceSettings LoadTraceSettings(const std::wstring& _strConfigFolder)
{
    const std::wstring strFile = TraceSettingsFile(_strConfigFolder);
    STraceSettings settings;
    settings.iLevel = ReadNumber(strFile, L"Level", TRACE_LEVEL_NONE);
    settings.iKeepDays = ReadNumber(strFile, L"KeepDays", KEEP_DAYS_DEFAULT);
    // A hand-edited value out of range counts as not set, rather than cut to a limit.
    if (settings.iKeepDays < 1 || settings.iKeepDays > KEEP_DAYS_MAX)
        settings.iKeepDays = KEEP_DAYS_DEFAULT;
    return ClampTraceSettings(settings);
}

bool SaveTraceSettings(const std::wstring& _strConfigFolder, const STraceSettings& _settings)
{
    CreateFolderPath(_strConfigFolder.c_str());
    const std::wstring strFile = TraceSettingsFile(_strConfigFolder);
    const STraceSettings settings = ClampTraceSettings(_settings);
    const bool bLevel = settings.iLevel == TRACE_LEVEL_NONE
                            ? WritePrivateProfileStringW(SECTION, L"Level", nullptr, strFile.c_str()) != FALSE
                            : WriteNumber(strFile, L"Level", settings.iLevel);
    return WriteNumber(strFile, L"KeepDays", settings.iKeepDays) && bLevel;
}
