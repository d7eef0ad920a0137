#include "base/SystemFacts.h"

SystemFacts ReadSystemFacts()
{
    SystemFacts facts;
    DWORD cchName = 511;
    GetComputerNameW(facts.szComputerName, &cchName);
    cchName = 511;
    GetUserNameW(facts.szUserName, &cchName);
    GetLocaleInfoW(LOCALE_SYSTEM_DEFAULT, LOCALE_IDEFAULTLANGUAGE, facts.szLanguage, 7);
    facts.uWindowsDirLength = GetWindowsDirectoryW(facts.szWindowsDir, MAX_PATH);
    GetSystemDirectoryW(facts.szSystemDir, MAX_PATH);
    GetSystemInfo(&facts.Info);
    return facts;
}
