// The host's language modules (Resource\<folder>\RESOURCE.DLL below the program folder),
// each known by the name it gives itself.
#pragma once
#include <string>
#include <vector>

// String id of a language module's own name ("Deutsch", "English").
const unsigned LANGUAGE_OWN_NAME_ID = 1090;

// The own names of the language modules in the program folder, sorted, each once; modules
// that do not name themselves are left out.
std::vector<std::wstring> ListLanguageNames();
// The own name of the language module the host uses now; empty when it uses none.
std::wstring CurrentLanguageName();
// True when the host speaks German now; the page's texts follow it.
bool HostSpeaksGerman();
