// Names and header values decoded by the platform's own converters. Names
// from real clients (UTF-8, GBK under 936, bytes under the ANSI page) are
// proven by the end-to-end inspect steps; here are the cases they lack.
#include "upload/UploadBody.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::wstring Text(BSTR text)
{
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring(L"<null>");
}

class BodySplitterCodePage : public testing::Test
{
protected:
    HRESULT Split(const std::string& disposition, const std::string& type, int32_t pageCode)
    {
        const std::string body = "--B\r\nContent-Disposition: form-data; " + disposition +
                                 "\r\nContent-Type: " + type + "\r\n\r\nv\r\n--B--\r\n";
        EXPECT_EQ(S_OK, m_body.AllocBody(static_cast<int32_t>(body.size())));
        m_body.AppendBody(reinterpret_cast<const uint8_t*>(body.data()),
                          static_cast<int32_t>(body.size()));
        m_pageCode = pageCode;
        return m_body.ParseBody(m_pageCode);
    }
    CAspUploadFormField& Field() { return *m_body.Fields().ElementAt(0); }

    CUploadBody m_body;
    int32_t m_pageCode = 65535;
};

TEST_F(BodySplitterCodePage, NamesDecodeUnderThePageCode)
{
    const struct
    {
        const char* label;
        int32_t pageCode;
        std::string fileName;
        std::wstring expected;
        int32_t pageCodeAfter;
    } rows[] = {
        {"65001 astral character", 65001, "\xF0\x9F\x98\x80", L"\xD83D\xDE00", 65001},
        {"ansi euro sign", 0, "\x80", L"\x20AC", 0},
        {"invalid utf-8 under 65001 is replaced", 65001, "a\xFF", L"a\xFFFD", 65001},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(
            1, Split("name=\"f\"; filename=\"" + row.fileName + "\"", "text/plain", row.pageCode));
        EXPECT_EQ(row.expected, Text(Field().fileName));
        EXPECT_EQ(row.pageCodeAfter, m_pageCode);
    }
}

TEST_F(BodySplitterCodePage, UnknownCodePageLeavesTheNameAbsent)
{
    ASSERT_EQ(1, Split("name=\"abc\"", "a/b", 12345));
    EXPECT_EQ(L"<null>", Text(Field().name));
    EXPECT_EQ(12345, m_pageCode);
}

TEST_F(BodySplitterCodePage, ContentTypeDecodesUnderTheThreadAnsiPageNotThePageCode)
{
    ASSERT_EQ(1, Split("name=\"x\"", "text/caf\xE9", 65001));
    EXPECT_EQ(L"text/caf\x00E9", Text(Field().contentType));
    EXPECT_EQ(65001, m_pageCode);
}

} // namespace
