// JSON string literals and UTF-8 from the UTF-16 text the component returns:
// escapes, multi-byte characters, surrogate pairs and unpaired surrogates.
#include "JsonText.h"

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

TEST(JsonText, PlainTextReplacesOnlyUnpairedSurrogates)
{
    std::string out;
    AppendUtf8(out, u"\"\n\u00e9\U0001F600\xd800!");
    EXPECT_EQ("\"\n\xc3\xa9\xf0\x9f\x98\x80\xef\xbf\xbd!", out);
}

} // namespace
