#include "config/IniValueCodec.h"

#include <cstring>
#include <cwchar>
#include <cwctype>
#include <initializer_list>

namespace {

const wchar_t HEX_DIGITS[] = L"0123456789ABCDEF";

int HexValue(wchar_t _ch)
{
    if (_ch >= L'0' && _ch <= L'9')
        return _ch - L'0';
    if (_ch >= L'A' && _ch <= L'F')
        return _ch - L'A' + 10;
    if (_ch >= L'a' && _ch <= L'f')
        return _ch - L'a' + 10;
    return -1;
}

// What the profile functions strip from both ends of a value: control characters and
// blanks (including ^Z), and any other kind of space for good measure.
bool IsStrippedAtEnds(wchar_t _ch)
{
    return _ch <= L' ' || iswspace(_ch);
}

bool IsQuote(wchar_t _ch)
{
    return _ch == L'"' || _ch == L'\'';
}

bool IsSurrogatePair(const wchar_t* _pch)
{
    return _pch[0] >= 0xD800 && _pch[0] <= 0xDBFF && _pch[1] >= 0xDC00 && _pch[1] <= 0xDFFF;
}

// Sequential writer into a fixed buffer that keeps room for the terminator.
class CBoundedWriter
{
public:
    CBoundedWriter(wchar_t* _pszOut, size_t _cchOut) : m_pszOut(_pszOut), m_cchOut(_cchOut)
    {
        if (m_cchOut > 0)
            m_pszOut[0] = 0;
    }
    ~CBoundedWriter()
    {
        if (m_cchOut > 0)
            m_pszOut[m_cchUsed] = 0;
    }
    bool Fits(size_t _cch) const { return m_cchOut > 0 && m_cchUsed + _cch <= m_cchOut - 1; }
    void Put(wchar_t _ch) { m_pszOut[m_cchUsed++] = _ch; }

private:
    wchar_t* m_pszOut;
    size_t m_cchOut;
    size_t m_cchUsed = 0;
};

// The two bytes of one UTF-16 unit, low byte first, as upper-case digit pairs.
void PutHexUnit(CBoundedWriter& _writer, wchar_t _ch)
{
    const unsigned uUnit = static_cast<unsigned>(_ch) & 0xFFFF;
    for (unsigned uByte : {uUnit & 0xFF, uUnit >> 8})
    {
        _writer.Put(HEX_DIGITS[uByte >> 4]);
        _writer.Put(HEX_DIGITS[uByte & 0xF]);
    }
}

}   // namespace

bool NeedsHexForm(const wchar_t* _pszText)
{
    if (wcsncmp(_pszText, UNI_MARKER, UNI_MARKER_LENGTH) == 0)
        return true;
    for (const wchar_t* psz = _pszText; *psz; ++psz)
        if (*psz > 255)
            return true;
    return false;
}

bool EncodeHexDigits(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut)
{
    CBoundedWriter writer(_pszOut, _cchOut);
    size_t cbEncoded = 0;
    for (size_t i = 0; _pszText[i] != 0;)
    {
        const size_t cchChar = IsSurrogatePair(_pszText + i) ? 2 : 1;
        if (cbEncoded + cchChar * 2 > UNI_MAX_ENCODED_BYTES || !writer.Fits(cchChar * 4))
            return false;
        for (size_t k = 0; k < cchChar; ++k)
            PutHexUnit(writer, _pszText[i + k]);
        i += cchChar;
        cbEncoded += cchChar * 2;
    }
    return true;
}

void DecodeHexForm(const wchar_t* _pszStored, wchar_t* _pszOut, size_t _cchOut)
{
    CBoundedWriter writer(_pszOut, _cchOut);
    if (wcsncmp(_pszStored, UNI_MARKER, UNI_MARKER_LENGTH) != 0)
        return;
    unsigned uChar = 0;
    bool bLowByteOnly = false;
    for (const wchar_t* psz = _pszStored + UNI_MARKER_LENGTH; HexValue(psz[0]) >= 0 && HexValue(psz[1]) >= 0; psz += 2)
    {
        const unsigned uByte = static_cast<unsigned>(HexValue(psz[0]) * 16 + HexValue(psz[1]));
        if (!bLowByteOnly)
        {
            uChar = uByte;
            bLowByteOnly = true;
            continue;
        }
        if (!writer.Fits(1))
            return;
        writer.Put(static_cast<wchar_t>(uChar | (uByte << 8)));
        bLowByteOnly = false;
    }
    if (bLowByteOnly && writer.Fits(1))
        writer.Put(static_cast<wchar_t>(uChar));
}

bool EscapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut)
{
    CBoundedWriter writer(_pszOut, _cchOut);
    for (const wchar_t* psz = _pszText; *psz; ++psz)
    {
        const wchar_t chEscape = *psz == L'\t' ? L't' : *psz == L'\n' ? L'n' : *psz == L'\r' ? L'r' : 0;
        if (!writer.Fits(chEscape ? 2 : 1))
            return false;
        if (chEscape)
        {
            writer.Put(L'\\');
            writer.Put(chEscape);
        }
        else
        {
            writer.Put(*psz);
        }
    }
    return true;
}

void UnescapeControlChars(const wchar_t* _pszText, wchar_t* _pszOut, size_t _cchOut)
{
    CBoundedWriter writer(_pszOut, _cchOut);
    for (const wchar_t* psz = _pszText; *psz; ++psz)
    {
        if (!writer.Fits(1))
            return;
        const wchar_t chNext = psz[0] == L'\\' ? psz[1] : 0;
        const wchar_t chControl = chNext == L'n' ? L'\n' : chNext == L'r' ? L'\r' : chNext == L't' ? L'\t' : 0;
        if (chControl)
        {
            writer.Put(chControl);
            ++psz;
        }
        else
        {
            writer.Put(*psz);
        }
    }
}

bool MakeStoredForm(const wchar_t* _pszValue, bool _bHexForm, wchar_t* _pszOut, size_t _cchOut)
{
    if (!_bHexForm && !NeedsHexForm(_pszValue))
        return EscapeControlChars(_pszValue, _pszOut, _cchOut);
    if (_cchOut <= UNI_MARKER_LENGTH)
        return false;
    memcpy(_pszOut, UNI_MARKER, UNI_MARKER_LENGTH * sizeof(wchar_t));
    return EncodeHexDigits(_pszValue, _pszOut + UNI_MARKER_LENGTH, _cchOut - UNI_MARKER_LENGTH);
}

bool QuoteForProfile(const wchar_t* _pszStored, wchar_t* _pszOut, size_t _cchOut)
{
    const size_t cchStored = wcslen(_pszStored);
    const bool bQuote =
        cchStored > 0 && (IsStrippedAtEnds(_pszStored[0]) || IsStrippedAtEnds(_pszStored[cchStored - 1]) ||
                          IsQuote(_pszStored[0]) || IsQuote(_pszStored[cchStored - 1]));
    const size_t cchOut = cchStored + (bQuote ? 2 : 0);
    if (cchOut >= _cchOut)
        return false;
    CBoundedWriter writer(_pszOut, _cchOut);
    if (bQuote)
        writer.Put(L'"');
    for (size_t i = 0; i < cchStored; ++i)
        writer.Put(_pszStored[i]);
    if (bQuote)
        writer.Put(L'"');
    return true;
}
