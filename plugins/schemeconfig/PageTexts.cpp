#include "PageTexts.h"

#include "Languages.h"

namespace {

const wchar_t* const ENGLISH[TEXT_COUNT] = {
    L"Appearance of the program",
    L"Language:",
    L"Colour scheme:",
    L"Dialog font:",
    L"Apply takes the choice at once and keeps it for the next start.",
    L"Light", L"Dark", L"Soft", L"Blue", L"Burgundy",
};

const wchar_t* const GERMAN[TEXT_COUNT] = {
    L"Erscheinungsbild des Programms",
    L"Sprache:",
    L"Farbschema:",
    L"Dialogschrift:",
    L"\u00dcbernehmen wendet die Auswahl sofort an und beh\u00e4lt sie f\u00fcr den n\u00e4chsten Start.",
    L"Hell", L"Dunkel", L"Sanft", L"Blau", L"Weinrot",
};

} // namespace

const wchar_t* PageText(int _iText)
{
    if (_iText < 0 || _iText >= TEXT_COUNT)
        return L"";
    return HostSpeaksGerman() ? GERMAN[_iText] : ENGLISH[_iText];
}
