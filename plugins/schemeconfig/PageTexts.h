// The page's texts in English and German, chosen by the host's language.
#pragma once

enum EPageText
{
    TEXT_HEADING,
    TEXT_LANGUAGE,
    TEXT_SCHEME,
    TEXT_FONT,
    TEXT_NOTE,
    TEXT_SCHEME_FIRST,   // the names of schemes 0 to 4 follow
    TEXT_COUNT = TEXT_SCHEME_FIRST + 5
};

const wchar_t* PageText(int _iText);
