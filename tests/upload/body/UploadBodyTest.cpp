#include "upload/body/UploadBody.h"

#include "support/SplitterReference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

std::string CrLf(std::initializer_list<const char*> lines)
{
    std::string body;
    for (const char* line : lines)
        body += std::string(line) + "\r\n";
    return body;
}

// ASCII units as they are, others as \uXXXX; "<null>" for a null string.
std::string Text(BSTR text)
{
    if (!text)
        return "<null>";
    std::string result;
    for (UINT i = 0; i < SysStringLen(text); ++i) {
        char escaped[8];
        std::snprintf(escaped, sizeof escaped, "\\u%04X", static_cast<unsigned>(text[i]));
        result += text[i] < 0x80 ? std::string(1, static_cast<char>(text[i])) : escaped;
    }
    return result;
}

// The body is allocated at exactly its size, so that the sanitizers see any
// access beyond it.
void Load(CUploadBody& target, const std::string& body)
{
    const int32_t size = static_cast<int32_t>(body.size());
    EXPECT_EQ(S_OK, target.AllocBody(size));
    EXPECT_EQ(size, target.AppendBody(reinterpret_cast<const uint8_t*>(body.data()), size));
}

// Every case runs on each scan path built for the machine.
class BodySplitter : public testing::TestWithParam<const ByteScanPath*>
{
protected:
    void SetUp() override { m_body.UseScanPath(*GetParam()); }
    HRESULT Split(const std::string& body, int32_t pageCode = 65535)
    {
        Load(m_body, body);
        m_pageCode = pageCode;
        return m_body.ParseBody(m_pageCode);
    }
    int32_t Count() const { return m_body.Fields().GetSize(); }
    CAspUploadFormField& Field(int32_t index) { return *m_body.Fields().ElementAt(index); }
    std::string Content(int32_t index)
    {
        const CAspUploadFormField& field = Field(index);
        return std::string(reinterpret_cast<const char*>(field.data), field.size);
    }
    std::string Name(int32_t index) { return Text(Field(index).name); }
    // "name|file name|content type|content".
    std::string Record(int32_t index)
    {
        const CAspUploadFormField& field = Field(index);
        return Name(index) + "|" + Text(field.fileName) + "|" + Text(field.contentType) + "|" +
               Content(index);
    }

    CUploadBody m_body;
    int32_t m_pageCode = 65535;
};

TEST_P(BodySplitter, SplitsTheTwoPartFormInPlace)
{
    const std::string body =
        CrLf({"--XYZ", "Content-Disposition: form-data; name=\"title\"", "", "Hello", "--XYZ",
              "Content-Disposition: form-data; name=\"file1\"; "
              "filename=\"C:\\docs\\a.txt\"",
              "Content-Type: text/plain", "", "abc", "--XYZ--"});
    ASSERT_EQ(1, Split(body));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("title|<null>|<null>|Hello", Record(0));
    EXPECT_EQ("file1|C:\\docs\\a.txt|text/plain|abc", Record(1));
    // Every header line's CR and the CR after each content became zero; the
    // delimiter lines were left alone.
    std::string expected = body;
    for (size_t at = expected.find("\r\n"); at != std::string::npos;
         at = expected.find("\r\n", at + 2)) {
        const size_t lineStart = expected.rfind('\n', at - 1) + 1;
        if (expected.compare(lineStart, 5, "--XYZ") != 0 && at != lineStart)
            expected[at] = '\0';
    }
    EXPECT_EQ(expected, std::string(reinterpret_cast<char*>(m_body.BodyData()), body.size()));
    EXPECT_EQ(static_cast<int32_t>(body.rfind("--XYZ--") + 5), m_body.Cursor())
        << "the cursor stands on the closing delimiter's --";
    EXPECT_EQ(0, m_body.DelimiterLength());
    EXPECT_EQ(65535, m_pageCode);
}

TEST_P(BodySplitter, BodiesWithoutADelimiterLineGiveNoRecordsAndNoFailure)
{
    const struct
    {
        const char* label;
        std::string body;
    } rows[] = {
        {"empty body", ""},
        {"text first", "hello\r\n--XYZ\r\n"},
        {"only line breaks", "\r\n\n\r"},
        {"bare -- line", "--\r\n\r\nabc\r\n--\r\n"},
        {"no line break after the first line", "--XYZ"},
        {"single hyphen", "-"},
        {"hyphen then other", "-X\r\n"},
        {"blank lines then text", "\r\n\r\nx--XYZ\r\n"},
        {"empty form: closing line alone", "------WebKitFormBoundaryQ--\r\n"},
        {"empty form: closing line and line breaks", "--XYZ--\r\n\r\n\n"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(1, Split(row.body));
        EXPECT_EQ(0, Count());
    }
}

TEST_P(BodySplitter, LineBreakVariantsSplitIntoTheirParts)
{
    const struct
    {
        const char* label;
        std::string body;
        std::vector<std::string> contents;
    } rows[] = {
        {"line breaks before the first delimiter",
         "\r\n\n\r\r\n" + CrLf({"--B", "", "x", "--B--"}),
         {"x"}},
        {"closing delimiter ends the body", CrLf({"--B", "", "data"}) + "--B--", {"data"}},
        {"epilogue is no part", CrLf({"--B", "", "a", "--B--", "--B", "", "b", "--B--"}), {"a"}},
        {"bare LF content", "--B\n\nabc\n--B\n\nxyz\r\n--B--", {"abc", "xyz"}},
        // The CR of the empty "--" line is passed over, the LF after it is
        // not, so the delimiter line after it is found.
        {"CR LF after a rejected lookalike", "--B\r\n\r\na\r\n--\r\n--B--", {"a\r\n--"}},
        // After a bare-LF header line the line-break skip also swallows the
        // next CR LF, so a CR LF blank line there is not the end of the
        // headers; a bare-LF blank line is swallowed likewise.
        {"CR LF after a bare LF header line",
         "--B\nContent-Type: a\n\r\nContent-Disposition: form-data; name=\"n\"\n\r\n\r\nv\r\n--B--",
         {"v"}},
        {"bare LF after a bare LF header line",
         "--B\nContent-Type: a\n\nv\r\n\r\nw\r\n--B--",
         {"w"}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(1, Split(row.body));
        ASSERT_EQ(static_cast<int32_t>(row.contents.size()), Count());
        for (int32_t i = 0; i < Count(); ++i) {
            EXPECT_EQ(row.contents[i], Content(i));
            EXPECT_EQ(0, Field(i).data[Field(i).size]) << "the line break became the zero";
        }
        ASSERT_EQ(1, m_body.ParseBody(m_pageCode)) << "a second parse adds nothing";
        EXPECT_EQ(static_cast<int32_t>(row.contents.size()), Count());
    }
}

// Each row's expectation is the record of the part with content "v".
TEST_P(BodySplitter, HeaderNamesInAnyCaseAndParametersOnlyAsWritten)
{
    const char* const rows[][2] = {
        {"CONTENT-DISPOSITION: form-data; name=\"a\"", "a|<null>|<null>|v"},
        {"Content-Disposition: form-data; Name=\"a\"", "<null>|<null>|<null>|v"},
        {"Content-Disposition: form-data;name=\"a\"", "<null>|<null>|<null>|v"},
        {"Content-Disposition: form-data; name=\"\"", "<null>|<null>|<null>|v"},
        {"content-disposition: form-data; filename=\"f.txt\" name=\"n\"", "n|f.txt|<null>|v"},
        {"Content-Disposition: form-data; name=a; filename=\"b\"", "a; filename=|b|<null>|v"},
        {"Content-Disposition: form-data; name=abc", "abc|<null>|<null>|v"},
        {"Content-Disposition: form-data; name=\"abc", "abc|<null>|<null>|v"},
        {"Content-Disposition: form-data; name=\"", "<null>|<null>|<null>|v"},
        {"Content-Type: image/png", "<null>|<null>|image/png|v"},
        {"content-type:image/png", "<null>|<null>|image/png|v"},
        {"Content-Type:  image/png", "<null>|<null>| image/png|v"},
        {"Content-Type:", "<null>|<null>||v"},
        {"X-Note: content-type: a", "<null>|<null>|<null>|v"},
        {"Content-Typ", "<null>|<null>|<null>|v"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row[0]);
        ASSERT_EQ(1, Split(CrLf({"--B", row[0], "", "v", "--B--"})));
        ASSERT_EQ(1, Count());
        EXPECT_EQ(row[1], Record(0));
    }
}

TEST_P(BodySplitter, ZeroByteInsideAHeaderLineEndsItsText)
{
    std::string header = "Content-Disposition: form-data; name=\"ab";
    header += '\0';
    header += "cd\"";
    ASSERT_EQ(1, Split("--B\r\n" + header + "\r\n\r\nv\r\n--B--\r\n"));
    ASSERT_EQ(1, Count());
    EXPECT_EQ("ab", Name(0));
}

TEST_P(BodySplitter, LaterHeaderLinesReplaceEarlierValues)
{
    ASSERT_EQ(1, Split(CrLf({"--B", "Content-Type: a/a",
                             "Content-Disposition: form-data; name=\"x\"", "Content-Type: b/b",
                             "Content-Disposition: form-data; name=\"\"", "", "v", "--B--"})));
    EXPECT_EQ("x|<null>|b/b|v", Record(0)) << "an empty name keeps the earlier one";
}

TEST_P(BodySplitter, PartsWithoutDispositionOrContentAreStillRecords)
{
    // Empty content: the delimiter's line break follows the blank line at
    // once, as CR LF in the first part and as a bare LF in the second.
    ASSERT_EQ(1, Split(CrLf({"--B", "X-Other: 1", "", "", "--B", ""}) + "\n--B--"));
    ASSERT_EQ(2, Count());
    EXPECT_EQ("<null>|<null>|<null>|", Record(0));
    EXPECT_EQ(0, Field(0).data[0]) << "the CR before the delimiter became the zero";
    EXPECT_EQ(0, Field(1).size);
    EXPECT_EQ(0, Field(1).data[0]) << "the bare LF before the delimiter became the zero";
}

TEST_P(BodySplitter, LookalikeDelimiterStaysContent)
{
    const char* contents[] = {
        "a\r\n--XYZX",    "a\r\n--XYZ ",  "a\r\n--XY",     "a\r\n--XYZ---", "\r\n--XYZ-",
        "a\r\n--xyz",     "a\n--XYZ\r\r", "--XYZ",         "a\r\n-XYZ",     "a\r--XYZ",
        "\r\n--\r\n--XY", "\n--",         "a\r\n--XYZ--x", "\r\n--XYZ\tb",
    };
    for (const char* content : contents) {
        SCOPED_TRACE(testing::PrintToString(std::string(content)));
        ASSERT_EQ(1, Split(CrLf({"--XYZ", "", content, "--XYZ--"})));
        ASSERT_EQ(1, Count());
        EXPECT_EQ(content, Content(0));
    }
}

TEST_P(BodySplitter, MalformedBodiesFailAndLeaveNothing)
{
    const struct
    {
        const char* label;
        std::string body;
    } rows[] = {
        {"no closing delimiter", CrLf({"--B", "", "data"})},
        {"second part never ends", CrLf({"--B", "", "a", "--B", "", "b"})},
        {"header block without blank line", CrLf({"--B", "Content-Type: a"})},
        {"header line without line break", "--B\r\nContent-Type: a"},
        {"nothing after the first delimiter", "--B\r\n"},
        {"delimiter with trailing blank only", CrLf({"--B", "", "x", "--B "})},
        {"closing delimiter with trailing text", CrLf({"--B", "", "x", "--B--x"})},
        {"closing-looking first line before more text", "--B--\r\nx"},
        // The LF that ends an empty "--" line right after LF "--" is passed
        // over, so the delimiter line after it is not seen.
        {"LF after a rejected lookalike", "--B\n\na\n--\n--B--"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(DISP_E_EXCEPTION, Split(row.body));
        // Nothing is left behind.
        EXPECT_EQ(0, Count());
        EXPECT_FALSE(m_body.HasBody());
        EXPECT_EQ(0, m_body.BodyLength());
        EXPECT_EQ(0, m_body.Cursor());
        EXPECT_EQ(0, m_body.DelimiterLength());
    }
}

TEST_P(BodySplitter, AutomaticPageCodeIsFixedByTheFirstNonAsciiName)
{
    const struct
    {
        const char* label;
        int32_t pageCodeBefore;
        std::string first;
        std::string second;
        int32_t pageCode;
        const char* secondName;
    } rows[] = {
        {"ascii leaves it automatic", 65535, "abc", "def", 65535, "def"},
        {"utf-8 fixes 65001", 65535, "caf\xC3\xA9", "\xC3\xA9t\xC3\xA9", 65001, "\\u00E9t\\u00E9"},
        {"other bytes fix 0", 65535, "caf\xE9", "\xC3\xA9", 0, "\\u00C3\\u00A9"},
        {"a named page code is never changed", 1252, "caf\xC3\xA9", "\xC3\xA9", 1252,
         "\\u00C3\\u00A9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        const std::string body = "--B\r\nContent-Disposition: form-data; name=\"x\"; filename=\"" +
                                 row.first +
                                 "\"\r\n\r\n1\r\n--B\r\nContent-Disposition: form-data; name=\"" +
                                 row.second + "\"\r\n\r\n2\r\n--B--\r\n";
        ASSERT_EQ(1, Split(body, row.pageCodeBefore));
        EXPECT_EQ(row.pageCode, m_pageCode);
        EXPECT_EQ(row.secondName, Name(1));
    }
}

// The block-wise content scan must find exactly what a byte-by-byte scan
// finds, over bodies dense in CR, LF and hyphens.
TEST_P(BodySplitter, ContentScanAgreesWithTheByteByByteRule)
{
    std::mt19937 random(1234);
    // Pieces of delimiter lines, so that near misses are frequent.
    const char* pieces[] = {"\r\n", "\n", "\r", "--", "-", "XYZ", "XY", "Z", "a"};
    const std::string prefix = "--XYZ\r\n\r\n";
    for (int round = 0; round < 30000; ++round) {
        std::string text = prefix;
        const int count = static_cast<int>(random() % 24);
        for (int k = 0; k < count; ++k)
            text += pieces[random() % (sizeof pieces / sizeof pieces[0])];
        CUploadBody body;
        body.UseScanPath(*GetParam());
        Load(body, text);
        CUploadBody::SplitStep step = CUploadBody::SplitStep::kEnd;
        ASSERT_EQ(S_OK, body.FindFirstDelimiter(step));
        ASSERT_EQ(CUploadBody::SplitStep::kPartFollows, step);
        body.SkipLineBreak();
        const int32_t start = body.Cursor();
        const ReferenceContent expected = ReferenceScan(
            reinterpret_cast<const uint8_t*>(text.data()), static_cast<int32_t>(text.size()), start,
            reinterpret_cast<const uint8_t*>("XYZ--"), 3);
        CAspUploadFormField record;
        const HRESULT result = body.ParsePartContent(record, step);
        SCOPED_TRACE(testing::PrintToString(text));
        if (!expected.found) {
            ASSERT_EQ(DISP_E_EXCEPTION, result);
            continue;
        }
        ASSERT_EQ(S_OK, result);
        ASSERT_EQ(expected.closing ? CUploadBody::SplitStep::kEnd
                                   : CUploadBody::SplitStep::kPartFollows,
                  step);
        ASSERT_EQ(expected.size, record.size);
        ASSERT_EQ(body.BodyData() + start, record.data);
        ASSERT_EQ(0, record.data[record.size]);
        ASSERT_EQ(expected.cursor, body.Cursor());
    }
}

INSTANTIATE_TEST_SUITE_P(ScanPath, BodySplitter, testing::ValuesIn(kScanPaths),
                         [](const testing::TestParamInfo<const ByteScanPath*>& info) {
                             return std::string(info.param->name);
                         });

} // namespace
