// The stored form of configuration values: control-character escapes and the "#UNI#"
// hexadecimal form of texts with characters above 255. Every output is bounded by its
// buffer size in characters (terminator included) and always terminated.
#pragma once
#include <cstddef>

const wchar_t UNI_MARKER[] = L"#UNI#";
const size_t UNI_MARKER_LENGTH = 5;
// At most this many bytes of a text are encoded (two digits each).
const size_t UNI_MAX_ENCODED_BYTES = 511;

// True when some character of the text is above 255.
bool NeedsHexForm(const wchar_t* _pszText);
// The UTF-16LE bytes of the text as "%02X" pairs, low byte first (the digits that follow
// "#UNI#"). Only whole characters are encoded and a surrogate pair is never split, so the
// cut at UNI_MAX_ENCODED_BYTES keeps 255 characters.
void EncodeHexDigits(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
// Decodes the digit pairs after "#UNI#" until the first pair that is not two hex digits;
// an odd last byte becomes a character with a zero high byte.
void DecodeHexForm(const wchar_t* _pszStored, wchar_t* _pszOut, size_t _cchOut);
// TAB, line feed and carriage return become "\t", "\n" and "\r"; an escape that no
// longer fits is left out whole.
void EscapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
// "\n", "\r" and "\t" become the control characters again; other backslashes stay.
void UnescapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
