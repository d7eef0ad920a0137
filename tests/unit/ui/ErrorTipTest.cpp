#include <gtest/gtest.h>
#include <string>

#include "ui/InfoIcon.h"

namespace {

std::wstring BuildTip(const std::wstring& _strProduct, const std::wstring& _strText, const std::wstring& _strHint)
{
    wchar_t szTip[256];
    CInfoIcon::BuildErrorTip(_strProduct.c_str(), _strText.c_str(), _strHint.c_str(), szTip, 256);
    return szTip;
}

} // namespace

TEST(ErrorTip, LongTextIsCutWithDotsToExactly127Characters)
{
    const std::wstring strProduct(40, L'P');
    const std::wstring strText(120, L't');
    const std::wstring strTip = BuildTip(strProduct, strText, L"");
    // 127 - (40 + 7 + 0) = 80 characters of the text stay.
    EXPECT_EQ(strProduct + L"\r\n" + std::wstring(80, L't') + L"...\r\n", strTip);
    EXPECT_EQ(127u, strTip.size());
}

TEST(ErrorTip, HintFollowsTheCutTextAndTheTipStaysWithin127)
{
    const std::wstring strProduct(20, L'P');
    const std::wstring strHint = L"Double click for details";
    const std::wstring strTip = BuildTip(strProduct, std::wstring(200, L'x'), strHint);
    // The status text is read with at most 127 characters; the room is 127 - (20 + 7 + 24) = 76.
    EXPECT_EQ(strProduct + L"\r\n" + std::wstring(76, L'x') + L"...\r\n" + strHint, strTip);
    EXPECT_EQ(127u, strTip.size());
}

TEST(ErrorTip, TextThatFitsStaysWholeWithoutDots)
{
    EXPECT_EQ(L"Prod\r\nline failed\r\nhint", BuildTip(L"Prod", L"line failed", L"hint"));
    // Exactly the room: 127 - (4 + 7 + 4) = 112 characters are kept whole.
    const std::wstring strExact(112, L'e');
    EXPECT_EQ(L"Prod\r\n" + strExact + L"\r\nhint", BuildTip(L"Prod", strExact, L"hint"));
    EXPECT_EQ(L"Prod\r\n" + strExact.substr(0, 112) + L"...\r\nhint", BuildTip(L"Prod", strExact + L"f", L"hint"));
}

TEST(ErrorTip, ProductNameAloneWhenNothingFits)
{
    EXPECT_EQ(L"Prod", BuildTip(L"Prod", L"", L"hint"));
    // Product 60 + 7 + hint 60 = 127: no room at all.
    const std::wstring strProduct(60, L'P');
    EXPECT_EQ(strProduct, BuildTip(strProduct, L"text", std::wstring(60, L'h')));
    EXPECT_EQ(strProduct + L"\r\nt...\r\n" + std::wstring(59, L'h'),
              BuildTip(strProduct, L"text", std::wstring(59, L'h')));
}

TEST(ErrorTip, SmallOutputBufferStaysTerminated)
{
    wchar_t szTip[8];
    CInfoIcon::BuildErrorTip(L"ProductName", L"text", L"", szTip, 8);
    EXPECT_EQ(std::wstring(L"Product"), szTip);
    CInfoIcon::BuildErrorTip(nullptr, nullptr, nullptr, szTip, 8);
    EXPECT_EQ(std::wstring(L""), szTip);
}
