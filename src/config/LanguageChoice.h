// Which language module the host picks: from the Windows language settings at start-up,
// and from a language's own name when the user chooses one.
#pragma once
#include <windows.h>
#include <functional>

const size_t LANGUAGE_LIST_SIZE = 10;

// [0] user UI language, [1] system UI language, [2] user language, [3] system language,
// [4]..[8] up to five of the user's preferred UI languages, [9] 0.
void ReadLanguageList(DWORD (&_adwIds)[LANGUAGE_LIST_SIZE]);
// Walks the list in order: a German id (low byte 7) tries "DE", an English one (low
// byte 9) "EN", others are skipped; the first folder that loads wins. When none did,
// "EN" is tried last. Returns the folder in use, or null.
const wchar_t* ChooseStartupLanguage(const DWORD (&_adwIds)[LANGUAGE_LIST_SIZE],
                                     const std::function<bool(const wchar_t*)>& _tryLoad);
// The folder of a language name ("Deutsch" gives "De", "Magyar" "Hr", ...); any name not
// known gives "En". Names are compared without regard to case.
const wchar_t* LanguageFolderOfName(const wchar_t* _pszName);
