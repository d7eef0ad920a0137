// The stored form of configuration values: control-character escapes, the "#UNI#"
// hexadecimal form of texts with characters above 255, and the quotes that keep a value's
// blanks in an INI file. Every output is bounded by its buffer size in characters
// (terminator included) and always terminated; a function that reports whether its
// output is whole returns false when it had to cut.
#pragma once
#include <cstddef>

const wchar_t UNI_MARKER[] = L"#UNI#";
const size_t UNI_MARKER_LENGTH = 5;
// At most this many bytes of a text are encoded (two digits each).
const size_t UNI_MAX_ENCODED_BYTES = 511;

// True when the text must be stored in the hexadecimal form: some character is above 255,
// or the text itself begins with "#UNI#" (stored plainly, it would be decoded when read).
bool NeedsHexForm(const wchar_t* _pszText);
// The UTF-16LE bytes of the text as "%02X" pairs, low byte first (the digits that follow
// "#UNI#"). Only whole characters are encoded and a surrogate pair is never split; false
// when the text does not fit UNI_MAX_ENCODED_BYTES (255 characters) or the output.
bool EncodeHexDigits(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
// Decodes the digit pairs after "#UNI#" until the first pair that is not two hex digits;
// an odd last byte becomes a character with a zero high byte.
void DecodeHexForm(const wchar_t* _pszStored, wchar_t* _pszOut, size_t _cchOut);
// TAB, line feed and carriage return become "\t", "\n" and "\r"; an escape that no
// longer fits is left out whole and the result is false.
bool EscapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
// "\n", "\r" and "\t" become the control characters again; other backslashes stay.
void UnescapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut);
// The stored form of a value: "#UNI#" and its digits when NeedsHexForm or _bHexForm is
// true, otherwise the escaped text. False when the stored form would be cut.
bool MakeStoredForm(const wchar_t* _pszValue, bool _bHexForm, wchar_t* _pszOut, size_t _cchOut);
// The stored form as an INI file line keeps it: enclosed in double quotes when it begins
// or ends with a blank or a quote, which the profile functions would strip when reading
// (they remove one pair of enclosing quotes, so older values stay readable). False when
// the result does not fit.
bool QuoteForProfile(const wchar_t* _pszStored, wchar_t* _pszOut, size_t _cchOut);
