#include "util/Utf8Classifier.h"

#include <gtest/gtest.h>
#include <string>

namespace {

struct Row
{
    const char* label;
    std::string bytes;
    int32_t expected;
};

TEST(Utf8Classifier, ClassifiesRunsByTheLooseRule)
{
    const Row rows[] = {
        {"empty", "", 0},
        {"ascii", "abc", 0},
        {"zero byte is ascii", std::string("a\0b", 3), 0},
        {"e acute", "\xC3\xA9", 1},
        {"cjk character", "\xE4\xB8\xAD", 1},
        {"four-byte form", "\xF0\x9F\x98\x80", 1},
        {"overlong pair accepted", "\xC0\x80", 1},
        {"0xFF with seven continuations", "\xFF\x80\x80\x80\x80\x80\x80\x80", 1},
        {"0xFF with six continuations", "\xFF\x80\x80\x80\x80\x80\x80", -1},
        {"lone latin-1 byte", "\xE9", -1},
        {"sequence cut short at end", "ab\xC3", -1},
        {"continuation byte as lead", "\x80", -1},
        {"non-continuation inside sequence", "\xE2\x82\x41", -1},
        {"image-like run", "\xFF\xD8\xFF\xE0JFIF", -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.expected, ClassifyUtf8(reinterpret_cast<const uint8_t*>(row.bytes.data()),
                                             static_cast<int32_t>(row.bytes.size())));
    }
}

TEST(Utf8Classifier, NegativeLengthIsEmpty)
{
    const uint8_t byte = 0xE9;
    EXPECT_EQ(0, ClassifyUtf8(&byte, -1));
}

} // namespace
