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

TEST(UrlCoding, HtmlEncodeBytesLeavesOtherBytesAlone)
{
    EXPECT_EQ("/a?x=&lt;i&gt;&amp;y=&quot;q&quot;'\xC3\xA9\x01",
              HtmlEncodeBytes("/a?x=<i>&y=\"q\"'\xC3\xA9\x01"));
}

TEST(UrlCoding, PairsPastTheLimitAreNotHandedOver)
{
    const struct
    {
        const char* text;
        size_t limit;
        bool withinLimit;
        size_t handed;
    } rows[] = {
        {"a=1&b=2&c=3", 3, true, 3},
        {"a=1&b=2&c=3", 2, false, 2},
        {"a=1&&b=2&", 2, true, 2}, // empty segments are no pairs
        {"a&a&a", 2, false, 2},    // repeats count
        {"", 0, true, 0},
        {"a", 0, false, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " limit " + std::to_string(row.limit));
        size_t handed = 0;
        EXPECT_EQ(row.withinLimit,
                  ForEachUrlEncodedPair(row.text, row.limit,
                                        [&handed](std::string, std::string) { ++handed; }));
        EXPECT_EQ(row.handed, handed);
    }
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
