#include "util/TextConversion.h"
#include "util/BstrHolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<WCHAR> Units(BSTR text)
{
    return text ? std::vector<WCHAR>(text, text + SysStringLen(text)) : std::vector<WCHAR>();
}

const uint8_t* Bytes(const std::string& text)
{
    return reinterpret_cast<const uint8_t*>(text.data());
}

// Records every read and write, as the item's PageCode property would see.
class RecordingPageCode final : public PageCodeAccess
{
public:
    explicit RecordingPageCode(int32_t value) : m_value(value) {}
    int32_t GetPageCode() override
    {
        ++m_reads;
        return m_value;
    }
    void PutPageCode(int32_t value) override { m_writes.push_back(m_value = value); }

    int32_t m_value;
    int m_reads = 0;
    std::vector<int32_t> m_writes;
};

TEST(PageCode, AutomaticRuleDecidesOnTheFirstNonAsciiRun)
{
    const struct
    {
        const char* label;
        std::string bytes;
        int32_t before;
        int32_t after;
        std::vector<WCHAR> units;
    } rows[] = {
        {"empty run stays automatic", "", 65535, 65535, {}},
        {"ascii stays automatic", "abc", 65535, 65535, {'a', 'b', 'c'}},
        {"utf-8 fixes 65001", "\xC3\xA9", 65535, 65001, {0xE9}},
        {"latin-1 byte fixes 0", "\xE9", 65535, 0, {0xE9}},
        {"utf-8 after the decision for 0 is not utf-8", "\xC3\xA9", 0, 0, {0xC3, 0xA9}},
        {"named code page is used as it is", "\xC3\xA9", 65001, 65001, {0xE9}},
        {"unknown code page gives nothing", "abc", 12345, 12345, {}},
        {"zero byte inside is a unit", std::string("a\0b", 3), 65535, 65535, {'a', 0, 'b'}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        int32_t pageCode = row.before;
        BstrHolder text;
        const int32_t units =
            DecodeUnderPageCode(Bytes(row.bytes), static_cast<int32_t>(row.bytes.size()), pageCode,
                                text.ReleaseAndGetAddressOf());
        EXPECT_EQ(row.after, pageCode);
        EXPECT_EQ(static_cast<int32_t>(row.units.size()), units);
        EXPECT_EQ(row.units, Units(text.Get()));
        EXPECT_EQ(row.units.empty(), !text) << "nothing decoded is a null string";
    }
}

TEST(PageCode, ReadOnceAndWrittenOnlyWhenDecided)
{
    RecordingPageCode ascii(65535);
    BstrHolder text;
    DecodeUnderPageCode(Bytes("abc"), 3, ascii, text.ReleaseAndGetAddressOf());
    EXPECT_EQ(1, ascii.m_reads);
    EXPECT_TRUE(ascii.m_writes.empty());

    RecordingPageCode utf8(65535);
    DecodeUnderPageCode(Bytes("\xE4\xB8\xAD"), 3, utf8, text.ReleaseAndGetAddressOf());
    EXPECT_EQ(std::vector<int32_t>{65001}, utf8.m_writes);
    EXPECT_EQ(std::vector<WCHAR>{0x4E2D}, Units(text.Get()));
}

TEST(DecodeBytes, NegativeLengthDecodesNothing)
{
    BSTR text = reinterpret_cast<BSTR>(&text);
    EXPECT_EQ(0, DecodeBytes(Bytes("abc"), -1, CP_UTF8, &text));
    EXPECT_EQ(nullptr, text);
}

TEST(DecodeHeaderText, NullIsNullAndEmptyIsAnEmptyString)
{
    BstrHolder text;
    EXPECT_EQ(S_OK, DecodeHeaderText(nullptr, text.ReleaseAndGetAddressOf()));
    EXPECT_FALSE(text);
    EXPECT_EQ(S_OK, DecodeHeaderText("", text.ReleaseAndGetAddressOf()));
    ASSERT_TRUE(text);
    EXPECT_EQ(0u, text.Length());
    EXPECT_EQ(S_OK, DecodeHeaderText("text/plain", text.ReleaseAndGetAddressOf()));
    EXPECT_EQ(10u, text.Length());
    EXPECT_EQ(0, text.Get()[10]);
}

} // namespace
