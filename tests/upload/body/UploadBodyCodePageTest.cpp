// Names and header values decoded by the platform's own converters. Names
// from real clients (UTF-8, GBK under 936, bytes under the ANSI page) are
// proven by the end-to-end inspect steps; here are the cases they lack.
#include "upload/body/UploadBody.h"

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

    CUploadBody m_body;
    int32_t m_pageCode = 65535;
};

// Names decode under the page code; the content type under the thread's
// ANSI page whatever the page code.
TEST_F(BodySplitterCodePage, TextsDecodeUnderTheirPage)
{
    const struct
    {
        const char* label;
        int32_t pageCode;
        std::string disposition;
        std::string type;
        BSTR CAspUploadFormField::*text;
        std::wstring expected;
    } rows[] = {
        {"65001 astral character", 65001, "name=\"f\"; filename=\"\xF0\x9F\x98\x80\"", "a/b",
         &CAspUploadFormField::fileName, L"\xD83D\xDE00"},
        {"ansi euro sign", 0, "name=\"f\"; filename=\"\x80\"", "a/b",
         &CAspUploadFormField::fileName, L"\x20AC"},
        {"invalid utf-8 under 65001 is replaced", 65001, "name=\"f\"; filename=\"a\xFF\"", "a/b",
         &CAspUploadFormField::fileName, L"a\xFFFD"},
        {"unknown code page leaves the name absent", 12345, "name=\"abc\"", "a/b",
         &CAspUploadFormField::name, L"<null>"},
        {"content type under the ANSI page", 65001, "name=\"x\"", "text/caf\xE9",
         &CAspUploadFormField::contentType, L"text/caf\x00E9"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        ASSERT_EQ(1, Split(row.disposition, row.type, row.pageCode));
        EXPECT_EQ(row.expected, Text(m_body.Fields().ElementAt(0)->*row.text));
        EXPECT_EQ(row.pageCode, m_pageCode);
    }
}

} // namespace
