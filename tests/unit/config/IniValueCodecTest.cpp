// The stored form of values: escapes and the "#UNI#" hexadecimal form.
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "config/IniValueCodec.h"

namespace {

std::wstring Encode(const std::wstring& _strText, size_t _cchOut = 1024)
{
    std::vector<wchar_t> vecOut(_cchOut, L'#');
    EncodeHexDigits(_strText.c_str(), vecOut.data(), vecOut.size());
    return vecOut.data();
}

std::wstring Decode(const std::wstring& _strStored, size_t _cchOut = 8192)
{
    std::vector<wchar_t> vecOut(_cchOut, L'#');
    DecodeHexForm(_strStored.c_str(), vecOut.data(), vecOut.size());
    return vecOut.data();
}

std::wstring Escape(const std::wstring& _strText, size_t _cchOut = 8191)
{
    std::vector<wchar_t> vecOut(_cchOut + 1, L'#');
    EscapeControlChars(_strText.c_str(), vecOut.data(), _cchOut);
    EXPECT_EQ(L'#', vecOut[_cchOut]) << "wrote past the bound";
    return vecOut.data();
}

std::wstring Unescape(const std::wstring& _strText)
{
    std::vector<wchar_t> vecOut(8192, L'#');
    UnescapeControlChars(_strText.c_str(), vecOut.data(), vecOut.size());
    return vecOut.data();
}

} // namespace

TEST(HexForm, OnlyCharactersAbove255NeedIt)
{
    EXPECT_FALSE(NeedsHexForm(L"plain \u00E9\u00FF text"));
    EXPECT_TRUE(NeedsHexForm(L"euro \u20AC"));
    EXPECT_TRUE(NeedsHexForm(L"\u0100"));
}

TEST(HexForm, LowByteFirstInUpperCaseDigits)
{
    EXPECT_EQ(L"AC20", Encode(L"\u20AC"));
    EXPECT_EQ(L"4100AC202D4E", Encode(L"A\u20AC\u4E2D"));
    EXPECT_EQ(L"\u20AC", Decode(L"#UNI#AC20"));
    EXPECT_EQ(L"\u20AC", Decode(L"#UNI#ac20"));
}

TEST(HexForm, RoundTripKeepsEveryCharacterAndSurrogatePairs)
{
    const std::wstring strText = L"Tel \u00E9\u03A9\u4E2D \U0001F4DE end";
    EXPECT_EQ(strText, Decode(std::wstring(UNI_MARKER) + Encode(strText)));
}

TEST(HexForm, OddByteCountEndsInCharacterWithZeroHighByte)
{
    EXPECT_EQ(L"\u20AC\u0041", Decode(L"#UNI#AC2041"));
    // Decoding stops at the first pair that is not two digits, and at a lone digit.
    EXPECT_EQ(L"\u20AC", Decode(L"#UNI#AC20zz4100"));
    EXPECT_EQ(L"\u20AC", Decode(L"#UNI#AC204"));
    EXPECT_EQ(L"", Decode(L"#UNI#"));
    EXPECT_EQ(L"", Decode(L"no marker"));
}

TEST(HexForm, EncodingLimitKeepsWholeCharacters)
{
    // 255 characters are 510 bytes: encoded in full.
    const std::wstring strAtLimit(255, L'\u20AC');
    const std::wstring strEncoded = Encode(strAtLimit);
    EXPECT_EQ(1020u, strEncoded.size());
    EXPECT_EQ(strAtLimit, Decode(std::wstring(UNI_MARKER) + strEncoded));
    // One more would need bytes 511 and 512: the character is left out whole,
    // never half of it (which would read back as a different character).
    EXPECT_EQ(strEncoded, Encode(strAtLimit + L"\u4E2D"));
    // A surrogate pair that does not fit whole is left out whole.
    const std::wstring strPairAtEdge = std::wstring(254, L'x') + L"\U0001F4DE";
    EXPECT_EQ(std::wstring(254, L'x'), Decode(std::wstring(UNI_MARKER) + Encode(strPairAtEdge)));
}

TEST(HexForm, OutputBuffersAreNeverOverrun)
{
    EXPECT_EQ(L"AC20", Encode(L"\u20AC\u20AC", 6));
    EXPECT_EQ(std::wstring(3, L'\u20AC'), Decode(L"#UNI#AC20AC20AC20AC20AC20", 4));
    // A long stored text decodes to at most the output size.
    std::wstring strLong = UNI_MARKER;
    for (int i = 0; i < 2046; ++i)
        strLong += L"4100";
    strLong += L"41";
    EXPECT_EQ(std::wstring(2047, L'A'), Decode(strLong));
    EXPECT_EQ(100u, Decode(strLong, 101).size());
}

TEST(Escapes, ControlCharactersBecomeTwoCharacterEscapes)
{
    EXPECT_EQ(L"a\\tb\\nc\\rd", Escape(L"a\tb\nc\rd"));
    // A backslash of the text is stored unchanged.
    EXPECT_EQ(L"C:\\new\\x", Escape(L"C:\\new\\x"));
}

TEST(Escapes, UnescapeTurnsOnlyTheThreeEscapesBack)
{
    EXPECT_EQ(L"a\tb\nc\rd", Unescape(L"a\\tb\\nc\\rd"));
    EXPECT_EQ(L"C:\\x\\\\", Unescape(L"C:\\x\\\\"));
    EXPECT_EQ(L"end\\", Unescape(L"end\\"));
}

TEST(Escapes, CutAtTheBoundLeavesNoHalfEscape)
{
    // 8190 characters fit; the tab at position 8189 needs two, so it is left out.
    const std::wstring strText = std::wstring(8189, L'x') + L"\tyz";
    EXPECT_EQ(std::wstring(8189, L'x'), Escape(strText));
    EXPECT_EQ(8190u, Escape(std::wstring(10000, L'\t')).size());
}
