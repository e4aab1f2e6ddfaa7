#include "core/UrlCoding.h"

#include <gtest/gtest.h>
#include <string>

namespace {

TEST(UrlCoding, DecodeKeepsMalformedEscapes)
{
    EXPECT_EQ("a b+c", UrlDecode("a%20b+c", false));
    EXPECT_EQ("a b c", UrlDecode("a%20b+c", true));
    EXPECT_EQ(std::string("\xFF\0z", 3), UrlDecode("%fF%00z", false));
    EXPECT_EQ("%zz %4 %", UrlDecode("%zz %4 %", false));
    EXPECT_EQ("%4", UrlDecode("%4", false));
}

TEST(UrlCoding, EncodeKeepsOnlyLettersAndDigits)
{
    EXPECT_EQ("aZ9+%2E%2D%5F%7E%3D%26%C3%A9", UrlEncode("aZ9 .-_~=&\xC3\xA9"));
    EXPECT_EQ("%00", UrlEncode(std::string(1, '\0')));
}

TEST(UrlCoding, HtmlEncodeWritesEntitiesAndLatin1Numbers)
{
    EXPECT_EQ(L"&lt;a href=&quot;x&quot;&gt;&amp;'&#160;&#233;&#255;\x100",
              HtmlEncode(L"<a href=\"x\">&'\xA0\xE9\xFF\x100"));
}

TEST(UrlCoding, FormPairsInOrderWithRepeats)
{
    const NameValueList expected = {{"a", "1"}, {"b", "x y"}, {"a", "2"},
                                    {"c", ""},  {"d e", "="}, {"", "v"}};
    EXPECT_EQ(expected, ParseUrlEncoded("a=1&b=x+y&&a=2&c&d+e=%3D&=v&"));
}

TEST(UrlCoding, CookiePairsTrimmedAndDecoded)
{
    const NameValueList expected = {{"a", "1"}, {"b", "x y=z"}, {"c", ""}};
    EXPECT_EQ(expected, ParseCookieHeader(" a=1;b = x+y%3Dz ;; c"));
}

} // namespace
