// JSON string literals and UTF-8 from the UTF-16 text the component returns:
// escapes, multi-byte characters, surrogate pairs and unpaired surrogates.
#include "common/JsonText.h"

#include <gtest/gtest.h>

namespace {

struct JsonRow
{
    const char* label;
    std::u16string input;
    std::string expected;
};

// Plain text, backslashes and the characters of the captured bodies are
// also checked by the end-to-end inspect steps.
TEST(JsonText, EscapesAndEncodesEveryKindOfUnit)
{
    const JsonRow rows[] = {
        {"empty", u"", "\"\""},
        {"quote and backslash", u"a\"b\\c", "\"a\\\"b\\\\c\""},
        {"short escapes", u"\b\f\n\r\t", "\"\\b\\f\\n\\r\\t\""},
        {"other control characters", u"\x01\x1f", "\"\\u0001\\u001f\""},
        {"embedded zero unit", std::u16string(u"a\0b", 3), "\"a\\u0000b\""},
        {"delete and slash stay", u"\x7f/", "\"\x7f/\""},
        {"last unit of the basic plane", u"\uffff", "\"\xef\xbf\xbf\""},
        {"surrogate pair", u"\U0001F600", "\"\xf0\x9f\x98\x80\""},
        {"highest code point", u"\U0010FFFF", "\"\xf4\x8f\xbf\xbf\""},
        {"lone high surrogate at the end", u"a\xd83d", "\"a\\ud83d\""},
        {"lone low surrogate", u"\xde00z", "\"\\ude00z\""},
        {"high followed by a non-surrogate",
         u"\xd83d"
         u"x",
         "\"\\ud83dx\""},
        {"low before high", u"\xde00\xd83d", "\"\\ude00\\ud83d\""},
        {"two highs then a low", u"\xd83d\xd83d\xde00", "\"\\ud83d\xf0\x9f\x98\x80\""},
    };
    for (const JsonRow& row : rows) {
        SCOPED_TRACE(row.label);
        std::string out = "prefix:";
        AppendJsonString(out, row.input);
        EXPECT_EQ("prefix:" + row.expected, out);
    }
}

struct BytesRow
{
    const char* label;
    std::string input;
    std::string expected;
};

// Header values arrive in whatever encoding the client chose: the literal
// must stay valid JSON, and each stray byte must stay recoverable.
TEST(JsonText, BytesThatAreNotUtf8BecomeEscapedSurrogates)
{
    const BytesRow rows[] = {
        {"ascii with escapes", "a\"\\\n", "\"a\\\"\\\\\\n\""},
        {"well-formed two, three and four bytes", "\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80",
         "\"\xc3\xa9\xe4\xb8\xad\xf0\x9f\x98\x80\""},
        {"latin-1 byte", "caf\xe9", "\"caf\\udce9\""},
        {"gbk pair", "\xd6\xd0", "\"\\udcd6\\udcd0\""},
        {"overlong slash", "\xc0\xaf", "\"\\udcc0\\udcaf\""},
        {"encoded surrogate", "\xed\xa0\x80", "\"\\udced\\udca0\\udc80\""},
        {"above U+10FFFF", "\xf4\x90\x80\x80", "\"\\udcf4\\udc90\\udc80\\udc80\""},
        {"sequence cut at the end", "a\xe4\xb8", "\"a\\udce4\\udcb8\""},
        {"stray continuation then ascii", "\x80z", "\"\\udc80z\""},
    };
    for (const BytesRow& row : rows) {
        SCOPED_TRACE(row.label);
        std::string out;
        AppendJsonBytes(out, row.input);
        EXPECT_EQ(row.expected, out);
    }
}

TEST(JsonText, PlainTextReplacesOnlyUnpairedSurrogates)
{
    std::string out;
    AppendUtf8(out, u"\"\n\u00e9\U0001F600\xd800!");
    EXPECT_EQ("\"\n\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbd!", out);
}

} // namespace
