#include "PageTexts.h"

#include <windows.h>
#include <shlwapi.h>

namespace {

const wchar_t* const ENGLISH[PAGE_TEXT_COUNT] = {
    L"Trace level (applied at once, kept for the next starts):",
    L"0 - errors and reports only",
    L"1 - important events",
    L"2 - events",
    L"3 - function calls",
    L"4 - everything",
    L"The daily trace files are written to:",
    L"Open folder",
    L"Keep daily files for (days):",
    L"Older daily files are deleted when the program starts; today's file is always kept.",
};

const wchar_t* const GERMAN[PAGE_TEXT_COUNT] = {
    L"Trace-Stufe (gilt sofort und f\u00FCr die n\u00E4chsten Starts):",
    L"0 - nur Fehler und Berichte",
    L"1 - wichtige Ereignisse",
    L"2 - Ereignisse",
    L"3 - Funktionsaufrufe",
    L"4 - alles",
    L"Die t\u00E4glichen Trace-Dateien liegen in:",
    L"Ordner \u00F6ffnen",
    L"T\u00E4gliche Dateien aufbewahren (Tage):",
    L"\u00C4ltere t\u00E4gliche Dateien werden beim Programmstart gel\u00F6scht; die heutige Datei bleibt immer.",
};

} // namespace

bool HostSpeaksGerman()
{
    // The host keeps exactly one language module loaded: the one of its current language.
    const HMODULE hModule = GetModuleHandleW(L"RESOURCE.DLL");
    wchar_t szPath[MAX_PATH] = L"";
    if (hModule == nullptr || GetModuleFileNameW(hModule, szPath, ARRAYSIZE(szPath)) == 0)
        return false;
    PathRemoveFileSpecW(szPath);
    return _wcsicmp(PathFindFileNameW(szPath), L"DE") == 0;
}

const wchar_t* GetPageText(PageText _eText, bool _bGerman)
{
    if (_eText < 0 || _eText >= PAGE_TEXT_COUNT)
        return L"";
    return _bGerman ? GERMAN[_eText] : ENGLISH[_eText];
}
