#include "TraceStore.h"

#include <windows.h>

#include <utility>

#include "TelvarinPlugin.h"

namespace {

const size_t VALUE_CCH = 16;

struct SStoredTexts
{
    wchar_t szLevel[VALUE_CCH] = L"";
    wchar_t szKeepDays[VALUE_CCH] = L"";
};

bool ReadStoredTexts(SStoredTexts* _pTexts)
{
    return ReadPluginSetting(TRACE_SETTINGS_SECTION, TRACE_KEY_LEVEL, _pTexts->szLevel, VALUE_CCH) &&
           ReadPluginSetting(TRACE_SETTINGS_SECTION, TRACE_KEY_KEEP_DAYS, _pTexts->szKeepDays, VALUE_CCH);
}

}   // namespace

STraceSettings LoadTraceSettings()
{
    SStoredTexts texts;
    ReadStoredTexts(&texts);
    return ParseTraceSettings(texts.szLevel, texts.szKeepDays);
}

bool SaveTraceSettings(const STraceSettings& _settings)
{
    const STraceSettings settings = ClampTraceSettings(_settings);
    // No level chosen is stored as an empty value.
    const std::wstring strLevel = settings.iLevel == TRACE_LEVEL_NONE ? L"" : std::to_wstring(settings.iLevel);
    const bool bLevel = WritePluginSetting(TRACE_SETTINGS_SECTION, TRACE_KEY_LEVEL, strLevel.c_str());
    return WritePluginSetting(TRACE_SETTINGS_SECTION, TRACE_KEY_KEEP_DAYS,
                              std::to_wstring(settings.iKeepDays).c_str()) &&
           bLevel;
}

bool CarryOverOldTraceSettings(const std::wstring& _strConfigFolder)
{
    SStoredTexts stored;
    if (!ReadStoredTexts(&stored) || stored.szLevel[0] != L'\0' || stored.szKeepDays[0] != L'\0')
        return false;
    const std::wstring strOldFile = _strConfigFolder + L"\\PluginDebugLog.ini";
    SStoredTexts old;
    GetPrivateProfileStringW(TRACE_SETTINGS_SECTION, TRACE_KEY_LEVEL, L"", old.szLevel, VALUE_CCH, strOldFile.c_str());
    GetPrivateProfileStringW(TRACE_SETTINGS_SECTION, TRACE_KEY_KEEP_DAYS, L"", old.szKeepDays, VALUE_CCH,
                             strOldFile.c_str());
    bool bCarried = false;
    for (const auto& value :
         {std::make_pair(TRACE_KEY_LEVEL, old.szLevel), std::make_pair(TRACE_KEY_KEEP_DAYS, old.szKeepDays)})
    {
        if (value.second[0] != L'\0' && WritePluginSetting(TRACE_SETTINGS_SECTION, value.first, value.second))
            bCarried = true;
    }
    return bCarried;
}
