// The request-head parser, its size limit, and the framing the host decides from a head.
#include "core/HttpHead.h"

#include <gtest/gtest.h>
#include <string>

namespace {

HeadParse Parse(const std::string& bytes)
{
    HttpHead head;
    size_t length = 0;
    return ParseHttpHead(bytes, head, length);
}

TEST(HttpHead, ParseRefusesWhatTwoReadersCouldDisagreeOn)
{
    const struct
    {
        const char* label;
        std::string bytes;
        HeadParse result;
    } rows[] = {
        {"no blank line yet", "GET / HTTP/1.1\r\nHost: x\r\n", HeadParse::Incomplete},
        {"bare LF lines", "GET / HTTP/1.0\nHost: x\n\n", HeadParse::Malformed},
        {"lone LF among CRLF lines", "GET / HTTP/1.1\r\nA: b\nB: c\r\n\r\n", HeadParse::Malformed},
        {"bare LF blank line", "GET / HTTP/1.1\r\nA: b\r\n\n", HeadParse::Malformed},
        {"bare LF before the end arrived", "GET / HTTP/1.1\nA: b", HeadParse::Malformed},
        {"LF-only empty lines before the request line", "\n\r\nGET / HTTP/1.1\r\n\r\n",
         HeadParse::Complete},
        {"folded continuation", "GET / HTTP/1.1\r\nA: b\r\n c\r\n\r\n", HeadParse::Malformed},
        {"space before colon", "GET / HTTP/1.1\r\nHost : x\r\n\r\n", HeadParse::Malformed},
        {"missing colon", "GET / HTTP/1.1\r\nHost\r\n\r\n", HeadParse::Malformed},
        {"empty field name", "GET / HTTP/1.1\r\n: x\r\n\r\n", HeadParse::Malformed},
        {"bare CR in value", "GET / HTTP/1.1\r\nA: b\rc\r\n\r\n", HeadParse::Malformed},
        {"NUL in value", std::string("GET / HTTP/1.1\r\nA: b\0c\r\n\r\n", 26),
         HeadParse::Malformed},
        {"tab in value is fine", "GET / HTTP/1.1\r\nA: b\tc\r\n\r\n", HeadParse::Complete},
        {"HTTP/2.0", "GET / HTTP/2.0\r\n\r\n", HeadParse::Malformed},
        {"lower-case version", "GET / http/1.1\r\n\r\n", HeadParse::Malformed},
        {"no version", "GET /\r\n\r\n", HeadParse::Malformed},
        {"two spaces", "GET  / HTTP/1.1\r\n\r\n", HeadParse::Malformed},
        {"control byte in target", "GET /\x01 HTTP/1.1\r\n\r\n", HeadParse::Malformed},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.result, Parse(row.bytes));
    }
}

// The reader fed a byte at a time decides as the whole buffer does, at the
// same byte, and a complete head comes out the same.
TEST(HttpHeadReader, ByteAtATimeDecidesAsTheWholeBuffer)
{
    const std::string big = "GET / HTTP/1.1\r\nX: " + std::string(kMaxHeadBytes, 'a');
    const struct
    {
        const char* label;
        std::string bytes;
    } rows[] = {
        {"complete with a body after it", "\r\nPOST /a?b HTTP/1.1\r\nA: 1\r\nB:2\r\n\r\nBODY"},
        {"CR at the end of the leading empty lines", "\r\n\r\rGET / HTTP/1.1\r\n\r\n"},
        {"lone LF", "GET / HTTP/1.1\r\nA: b\nB: c\r\n\r\n"},
        {"malformed field", "GET / HTTP/1.1\r\nA b\r\n\r\n"},
        {"over the limit", big},
        {"incomplete", "GET / HTTP/1.1\r\nA: b\r\n\r"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        HttpHead whole;
        size_t wholeLength = 0;
        const HeadParse expected = ParseHttpHead(row.bytes, whole, wholeLength);
        HttpHeadReader reader;
        HttpHead head;
        size_t length = 0;
        HeadParse result = HeadParse::Incomplete;
        size_t fed = 0;
        while (result == HeadParse::Incomplete && fed < row.bytes.size()) {
            ++fed;
            result = reader.Read(std::string_view(row.bytes).substr(0, fed), head, length);
        }
        EXPECT_EQ(expected, result);
        if (expected == HeadParse::Incomplete)
            continue;
        // The reader decided at the first byte that settles it.
        EXPECT_EQ(expected, Parse(row.bytes.substr(0, fed)));
        EXPECT_EQ(HeadParse::Incomplete, Parse(row.bytes.substr(0, fed - 1)));
        if (expected != HeadParse::Complete)
            continue;
        EXPECT_EQ(wholeLength, length);
        EXPECT_EQ(whole.target, head.target);
        EXPECT_EQ(whole.headers.size(), head.headers.size());
    }
}

// After Reset, the reader takes the next head of a kept-alive connection.
TEST(HttpHeadReader, ResetReadsTheNextHead)
{
    HttpHeadReader reader;
    HttpHead head;
    size_t length = 0;
    std::string buffer = "GET /one HTTP/1.1\r\n\r\nGET /two HTTP/1.1\r\n";
    ASSERT_EQ(HeadParse::Complete, reader.Read(buffer, head, length));
    buffer.erase(0, length);
    reader.Reset();
    EXPECT_EQ(HeadParse::Incomplete, reader.Read(buffer, head, length));
    EXPECT_EQ(buffer.size(), reader.Scanned());
    buffer += "\r\n";
    ASSERT_EQ(HeadParse::Complete, reader.Read(buffer, head, length));
    EXPECT_EQ("/two", head.target);
}

TEST(HttpHead, ParseSplitsTargetAndCountsLeadingEmptyLines)
{
    const std::string bytes =
        "\r\n\nPOST /a%20b.asp?x=1?y HTTP/1.0\r\ncontent-TYPE:  t/p \r\n\r\nBODY";
    HttpHead head;
    size_t length = 0;
    ASSERT_EQ(HeadParse::Complete, ParseHttpHead(bytes, head, length));
    EXPECT_EQ(bytes.size() - 4, length);
    EXPECT_EQ("POST /a%20b.asp x=1?y 0", head.method + " " + head.path + " " + head.query + " " +
                                             std::to_string(head.versionMinor));
    ASSERT_NE(nullptr, head.Find("Content-Type"));
    EXPECT_EQ("t/p", *head.Find("Content-Type"));
    EXPECT_EQ(nullptr, head.Find("Content-Typ"));
}

// A head of exactly kMaxHeadBytes (blank line included) is accepted; one
// byte more is refused whether or not its end has arrived.
TEST(HttpHead, LimitIsExactlySixteenKibibytes)
{
    const std::string start = "GET / HTTP/1.1\r\nX: ";
    const std::string fits =
        start + std::string(kMaxHeadBytes - start.size() - 4, 'a') + "\r\n\r\n";
    ASSERT_EQ(kMaxHeadBytes, fits.size());
    HttpHead head;
    size_t length = 0;
    EXPECT_EQ(HeadParse::Complete, ParseHttpHead(fits, head, length));
    EXPECT_EQ(kMaxHeadBytes, length);
    const std::string over = start + "a" + fits.substr(start.size());
    EXPECT_EQ(HeadParse::TooLarge, Parse(over));
    EXPECT_EQ(HeadParse::TooLarge, Parse(over.substr(0, kMaxHeadBytes)));
    EXPECT_EQ(HeadParse::Incomplete, Parse(over.substr(0, kMaxHeadBytes - 1)));
}

// Expected framing: "refusal length", then " continue" and " keep" when set.
TEST(HttpHead, FramingDecisions)
{
    const std::string post = "POST / HTTP/1.1\r\n", length = "Content-Length: ";
    const struct
    {
        const char* label;
        std::string head;
        const char* framing;
    } rows[] = {
        {"1.1 keeps alive", "GET / HTTP/1.1\r\n", "0 0 keep"},
        {"1.1 close in a list", "GET / HTTP/1.1\r\nConnection: TE, CLOSE\r\n", "0 0"},
        {"1.0 closes", "GET / HTTP/1.0\r\n", "0 0"},
        {"1.0 keep-alive", "HEAD / HTTP/1.0\r\nconnection: Keep-Alive\r\n", "0 0 keep"},
        {"closed is not close", "GET / HTTP/1.1\r\nConnection: closed\r\n", "0 0 keep"},
        {"length and continue", post + length + "10\r\nExpect: 100-Continue\r\n",
         "0 10 continue keep"},
        {"equal duplicates", post + length + "7\r\n" + length + "7\r\n", "0 7 keep"},
        {"limit itself", post + length + "1000\r\n", "0 1000 keep"},
        {"limit + 1", post + length + "1001\r\n", "413 0"},
        {"differing duplicates", post + length + "7\r\n" + length + "8\r\n", "400 0"},
        {"signed length", post + length + "+7\r\n", "400 0"},
        {"list length", post + length + "7, 7\r\n", "400 0"},
        {"empty length", post + "Content-Length:\r\n", "400 0"},
        {"2^64", post + length + "18446744073709551616\r\n", "400 0"},
        {"chunked", post + "Transfer-Encoding: chunked\r\n" + length + "3\r\n", "411 0"},
        {"method", "PUT / HTTP/1.1\r\n", "501 0"},
        {"method case", "get / HTTP/1.1\r\n", "501 0"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        HttpHead head;
        size_t length = 0;
        ASSERT_EQ(HeadParse::Complete, ParseHttpHead(row.head + "\r\n", head, length));
        const RequestFraming framing = DecideFraming(head, 1000);
        EXPECT_EQ(row.framing, std::to_string(framing.refusal) + " " +
                                   std::to_string(framing.contentLength) +
                                   (framing.expectContinue ? " continue" : "") +
                                   (framing.keepAlive ? " keep" : ""));
    }
}

TEST(HttpHead, StatusTextHasCodeAndPhrase)
{
    EXPECT_EQ("100 Continue", StatusText(100));
    EXPECT_EQ("431 Request Header Fields Too Large", StatusText(431));
    EXPECT_EQ("599 Server Error", StatusText(599));
}

} // namespace
