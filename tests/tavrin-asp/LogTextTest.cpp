// The access log's escaping: no control character of a request path or a
// script's error text reaches the console.
#include "core/LogText.h"

#include <gtest/gtest.h>

namespace {

TEST(LogText, EscapesEveryControlCharacterAndKeepsText)
{
    const struct
    {
        const char* label;
        std::string text;
        const char* logged;
    } rows[] = {
        {"plain text", "GET /a b.asp 200", "GET /a b.asp 200"},
        {"line ends", "a\r\nb", "a\\x0d\\x0ab"},
        {"escape sequence", "\x1b[2J\x1b]0;title\x07", "\\x1b[2J\\x1b]0;title\\x07"},
        {"NUL, tab and DEL", std::string("a\0b\tc\x7f", 6), "a\\x00b\\x09c\\x7f"},
        {"C1 CSI as UTF-8",
         "a\xc2\x9b"
         "2J",
         "a\\u009b2J"},
        {"raw C1 byte",
         "a\x9b"
         "2J",
         "a\\x9b2J"},
        {"non-ASCII text stays", "caf\xc3\xa9 \xe4\xb8\xad", "caf\xc3\xa9 \xe4\xb8\xad"},
        {"continuation byte 0x9B inside a character stays", "\xc4\x9b", "\xc4\x9b"},
        {"overlong ESC", "\xc0\x9b", "\\xc0\\x9b"},
        {"truncated sequence", "\xe4\xb8", "\\xe4\\xb8"},
        {"surrogate", "\xed\xa0\x80", "\\xed\\xa0\\x80"},
        {"backslash stays", "C:\\site\\a.asp", "C:\\site\\a.asp"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.logged, EscapeForLog(row.text));
    }
}

} // namespace
