// The stored form of values: escapes and the "#UNI#" hexadecimal form.
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

#include "config/IniValueCodec.h"

namespace {

std::wstring Encode(const std::wstring& _strText, size_t _cchOut = 1024, bool* _pbWhole = nullptr)
{
    std::vector<wchar_t> vecOut(_cchOut, L'#');
    const bool bWhole = EncodeHexDigits(_strText.c_str(), vecOut.data(), vecOut.size());
    if (_pbWhole)
        *_pbWhole = bWhole;
    return vecOut.data();
}

std::wstring Decode(const std::wstring& _strStored, size_t _cchOut = 8192)
{
    std::vector<wchar_t> vecOut(_cchOut, L'#');
    DecodeHexForm(_strStored.c_str(), vecOut.data(), vecOut.size());
    return vecOut.data();
}

std::wstring Escape(const std::wstring& _strText, size_t _cchOut = 8191, bool* _pbWhole = nullptr)
{
    std::vector<wchar_t> vecOut(_cchOut + 1, L'#');
    const bool bWhole = EscapeControlChars(_strText.c_str(), vecOut.data(), _cchOut);
    EXPECT_EQ(L'#', vecOut[_cchOut]) << "wrote past the bound";
    if (_pbWhole)
        *_pbWhole = bWhole;
    return vecOut.data();
}

// The quoted text, or "<refused>" when it does not fit.
std::wstring Quote(const std::wstring& _strStored, size_t _cchOut = 64)
{
    std::vector<wchar_t> vecOut(_cchOut + 1, L'#');
    const bool bFits = QuoteForProfile(_strStored.c_str(), vecOut.data(), _cchOut);
    EXPECT_EQ(L'#', vecOut[_cchOut]) << "wrote past the bound";
    return bFits ? std::wstring(vecOut.data()) : std::wstring(L"<refused>");
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
    // A text that begins with the marker would be decoded when read.
    EXPECT_TRUE(NeedsHexForm(L"#UNI#41"));
    EXPECT_FALSE(NeedsHexForm(L"text #UNI#41"));
    EXPECT_FALSE(NeedsHexForm(L"#uni#41"));
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
    // never half of it (which would read back as a different character), and the
    // result says the text was cut.
    bool bWhole = true;
    EXPECT_EQ(strEncoded, Encode(strAtLimit + L"\u4E2D", 1024, &bWhole));
    EXPECT_FALSE(bWhole);
    // A surrogate pair that does not fit whole is left out whole.
    const std::wstring strPairAtEdge = std::wstring(254, L'x') + L"\U0001F4DE";
    EXPECT_EQ(std::wstring(254, L'x'), Decode(std::wstring(UNI_MARKER) + Encode(strPairAtEdge, 1024, &bWhole)));
    EXPECT_FALSE(bWhole);
    Encode(strAtLimit, 1024, &bWhole);
    EXPECT_TRUE(bWhole);
}

TEST(HexForm, StoredFormIsHexOnlyWhenNeededOrAsked)
{
    wchar_t szOut[32];
    EXPECT_TRUE(MakeStoredForm(L"a\tb", false, szOut, std::size(szOut)));
    EXPECT_STREQ(L"a\\tb", szOut);
    EXPECT_TRUE(MakeStoredForm(L"\u00E9", true, szOut, std::size(szOut)));
    EXPECT_STREQ(L"#UNI#E900", szOut);
    EXPECT_TRUE(MakeStoredForm(L"#UNI#", false, szOut, std::size(szOut)));
    EXPECT_STREQ(L"#UNI#230055004E0049002300", szOut);
    // What does not fit the output is refused, in either form.
    EXPECT_FALSE(MakeStoredForm(L"\u20AC\u20AC\u20AC\u20AC\u20AC\u20AC", false, szOut, 20));
    EXPECT_FALSE(MakeStoredForm(std::wstring(40, L'p').c_str(), false, szOut, std::size(szOut)));
    EXPECT_FALSE(MakeStoredForm(L"x", false, szOut, 0));
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

TEST(Escapes, CutAtTheBoundLeavesNoHalfEscapeAndIsReported)
{
    // 8190 characters fit; the tab at position 8189 needs two, so it is left out.
    bool bWhole = true;
    const std::wstring strText = std::wstring(8189, L'x') + L"\tyz";
    EXPECT_EQ(std::wstring(8189, L'x'), Escape(strText, 8191, &bWhole));
    EXPECT_FALSE(bWhole);
    EXPECT_EQ(8190u, Escape(std::wstring(10000, L'\t')).size());
    EXPECT_EQ(std::wstring(4094, L'x') + L"\\t", Escape(std::wstring(4094, L'x') + L"\t", 8191, &bWhole));
    EXPECT_TRUE(bWhole);
}

TEST(ProfileQuotes, EncloseTextWhoseEndsTheProfileFunctionsWouldStrip)
{
    for (const wchar_t* pszText : {L" lead", L"trail ", L"\"q\"", L"'q'", L"\"open", L"close'", L"\x1A" L"z", L"z\x0B", L"\"", L" "})
        EXPECT_EQ(L"\"" + std::wstring(pszText) + L"\"", Quote(pszText)) << testing::PrintToString(std::wstring(pszText));
    for (const wchar_t* pszText : {L"plain", L"in \"the\" middle", L"a b", L"", L"#UNI#AC20"})
        EXPECT_EQ(pszText, Quote(pszText));
    // The quotes must fit as well.
    EXPECT_EQ(L"\" 123456\"", Quote(L" 123456", 10));
    EXPECT_EQ(L"<refused>", Quote(L" 1234567", 10));
    EXPECT_EQ(L"<refused>", Quote(L"123456789", 9));
}
