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

// The page-code script shows the decisions on ASCII, UTF-8 and other runs,
// and that a page code once set stays.
TEST(PageCode, AutomaticRuleEdgeCases)
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
