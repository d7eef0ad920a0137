#include "config/LanguageChoice.h"

#include <cstdio>

namespace {

const BYTE LANG_LOW_BYTE_GERMAN = 0x07;
const BYTE LANG_LOW_BYTE_ENGLISH = 0x09;
const size_t PREFERRED_FIRST = 4;
const size_t PREFERRED_COUNT = 5;

struct SLanguageName
{
    const wchar_t* pszName;
    const wchar_t* pszFolder;
};

const SLanguageName LANGUAGE_NAMES[] = {
    {L"Deutsch", L"De"},
    {L"English", L"En"},
    {L"\u010Ce\u0161tina", L"Cz"},   // Čeština
    {L"Espa\u00F1ol", L"Es"},        // Español
    {L"Fran\u00E7ais", L"Fr"},       // Français
    {L"Magyar", L"Hr"},
    {L"Italiano", L"It"},
    {L"Polski", L"Pl"},
    {L"Rom\u00E2n\u0103", L"Ro"},        // Română
    {L"Slovensk\u00FD", L"Sk"},          // Slovenský
    {L"Sloven\u0161\u010Dina", L"Sl"},   // Slovenščina
};

void ReadPreferredUiLanguages(DWORD* _pdwOut)
{
    wchar_t szList[128] = L"";
    ULONG ulCount = 0;
    ULONG cchList = ARRAYSIZE(szList);
    if (!GetUserPreferredUILanguages(MUI_LANGUAGE_ID, &ulCount, szList, &cchList))
        return;
    // The list is a series of terminated texts; blanks in place of the separators make it one text.
    for (ULONG i = 0; i + 1 < ARRAYSIZE(szList) && i + 1 < cchList; ++i)
        if (szList[i] == 0)
            szList[i] = L' ';
    szList[ARRAYSIZE(szList) - 1] = 0;
    unsigned auId[PREFERRED_COUNT] = {};
    swscanf(szList, L"%x %x %x %x %x", &auId[0], &auId[1], &auId[2], &auId[3], &auId[4]);
    for (size_t i = 0; i < PREFERRED_COUNT; ++i)
        _pdwOut[i] = auId[i];
}

}   // namespace

void ReadLanguageList(DWORD (&_adwIds)[LANGUAGE_LIST_SIZE])
{
    _adwIds[0] = GetUserDefaultUILanguage();
    _adwIds[1] = GetSystemDefaultUILanguage();
    _adwIds[2] = GetUserDefaultLangID();
    _adwIds[3] = GetSystemDefaultLangID();
    for (size_t i = PREFERRED_FIRST; i < LANGUAGE_LIST_SIZE; ++i)
        _adwIds[i] = 0;
    ReadPreferredUiLanguages(_adwIds + PREFERRED_FIRST);
}

const wchar_t* ChooseStartupLanguage(const DWORD (&_adwIds)[LANGUAGE_LIST_SIZE],
                                     const std::function<bool(const wchar_t*)>& _tryLoad)
{
    for (DWORD dwId : _adwIds)
    {
        const BYTE bLowByte = static_cast<BYTE>(dwId & 0xFF);
        const wchar_t* pszFolder = bLowByte == LANG_LOW_BYTE_GERMAN    ? L"DE"
                                   : bLowByte == LANG_LOW_BYTE_ENGLISH ? L"EN"
                                                                       : nullptr;
        if (pszFolder != nullptr && _tryLoad(pszFolder))
            return pszFolder;
    }
    return _tryLoad(L"EN") ? L"EN" : nullptr;
}

const wchar_t* LanguageFolderOfName(const wchar_t* _pszName)
{
    for (const SLanguageName& language : LANGUAGE_NAMES)
        if (CompareStringOrdinal(_pszName, -1, language.pszName, -1, TRUE) == CSTR_EQUAL)
            return language.pszFolder;
    return L"En";
}
