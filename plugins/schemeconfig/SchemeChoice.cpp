#include "SchemeChoice.h"

#include <cwchar>

#include "Languages.h"
#include "TelvarinPlugin.h"

namespace {

const wchar_t SECTION[] = L"Look";
const wchar_t KEY_SCHEME[] = L"SchemeIndex";
const wchar_t KEY_FONT[] = L"UsedFont";
const wchar_t KEY_LANGUAGE[] = L"UsedLanguage";

SSchemeChoice g_Look;

// A scheme number as kept: one digit of a scheme the host has.
bool ParseScheme(const wchar_t* _pszText, UINT* _puScheme)
{
    if (_pszText[0] < L'0' || _pszText[0] >= L'0' + TELVARIN_SCHEME_COUNT || _pszText[1] != 0)
        return false;
    *_puScheme = static_cast<UINT>(_pszText[0] - L'0');
    return true;
}

} // namespace

const SSchemeChoice& CurrentLook()
{
    return g_Look;
}

void TakeAnnouncedLook(const wchar_t* _pszRecord)
{
    g_Look.uScheme = static_cast<UINT>(GetBusNumber(_pszRecord, KEY_SCHEME));
    CopyBusValue(_pszRecord, KEY_FONT, g_Look.szFont, ARRAYSIZE(g_Look.szFont));
    CopyBusValue(_pszRecord, KEY_LANGUAGE, g_Look.szLanguage, ARRAYSIZE(g_Look.szLanguage));
}

bool LoadKeptChoice(SSchemeChoice* _pChoice)
{
    wchar_t szScheme[8] = L"";
    if (!ReadPluginSetting(SECTION, KEY_SCHEME, szScheme, ARRAYSIZE(szScheme)) || !ParseScheme(szScheme, &_pChoice->uScheme))
        return false;
    ReadPluginSetting(SECTION, KEY_FONT, _pChoice->szFont, ARRAYSIZE(_pChoice->szFont));
    ReadPluginSetting(SECTION, KEY_LANGUAGE, _pChoice->szLanguage, ARRAYSIZE(_pChoice->szLanguage));
    // An empty name would make the host fall back to its default font or to English.
    if (_pChoice->szFont[0] == 0)
        StringCchCopyW(_pChoice->szFont, ARRAYSIZE(_pChoice->szFont), DEFAULT_FONT);
    if (_pChoice->szLanguage[0] == 0)
        StringCchCopyW(_pChoice->szLanguage, ARRAYSIZE(_pChoice->szLanguage), CurrentLanguageName().c_str());
    return true;
}

bool KeepChoice(const SSchemeChoice& _choice)
{
    wchar_t szScheme[8];
    StringCchPrintfW(szScheme, ARRAYSIZE(szScheme), L"%u", _choice.uScheme);
    return WritePluginSetting(SECTION, KEY_SCHEME, szScheme) && WritePluginSetting(SECTION, KEY_FONT, _choice.szFont)
        && WritePluginSetting(SECTION, KEY_LANGUAGE, _choice.szLanguage);
}

void SendChoice(const SSchemeChoice& _choice)
{
    CBusRecordWriter record;
    record.AddNumber(KEY_SCHEME, _choice.uScheme);
    record.AddText(KEY_FONT, _choice.szFont);
    record.AddText(KEY_LANGUAGE, _choice.szLanguage);
    const HGLOBAL hBlock = record.NewBlock(QEL_BUSMSG_SCHEME);
    const HWND hWndHost = FindHostMainWindow();
    if (hBlock && hWndHost)
        SendMessageW(hWndHost, WM_QEL_SCHEME, 0, reinterpret_cast<LPARAM>(hBlock));
    GlobalFree(hBlock);
}
