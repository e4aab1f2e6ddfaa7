#include "upload/ByteScan.h"

#include "support/SplitterReference.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

namespace {

constexpr uint8_t kValue = 'W';

// A buffer of background bytes with planted LF "--" lines (whole matches
// for offset) and near misses that have the LF and the value in place but
// not both hyphens, so that every kind of block, step and tail is met.
std::vector<uint8_t> Plant(std::mt19937& random, const std::string& background, int32_t length,
                           int32_t offset)
{
    std::vector<uint8_t> bytes(static_cast<size_t>(length));
    for (uint8_t& byte : bytes)
        byte = static_cast<uint8_t>(background[random() % background.size()]);
    const int plants = static_cast<int>(random() % 6);
    for (int k = 0; k < plants && length > offset; ++k) {
        const int32_t at = static_cast<int32_t>(random() % static_cast<uint32_t>(length - offset));
        const bool whole = random() % 2 == 0;
        bytes[at] = '\n';
        bytes[at + 1] = '-';
        bytes[at + 2] = whole ? '-' : 'x';
        bytes[at + offset] = kValue;
    }
    return bytes;
}

class ByteScan : public testing::TestWithParam<const ByteScanPath*>
{
};

// Each end gets a buffer of exactly that size, so that the sanitizers see a
// read at or beyond it; every start before it is tried.
TEST_P(ByteScan, SearchesFindWhatTheByteByByteRuleFindsForEveryStartAndEnd)
{
    const ByteScanPath& path = *GetParam();
    const struct
    {
        const char* label;
        std::string background;
    } rows[] = {
        {"only the bytes of a match", "\n-W"},
        {"those and others", "\n-Wx"},
        {"mostly others", "\n-Wxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"},
        {"no line feeds", "-Wx"},
        {"line feeds and values only", "\nW"},
    };
    const int32_t offsets[] = {3, 4, 7, 8, 9, 16, 33, 40};
    std::mt19937 random(2024);
    for (const auto& row : rows) {
        for (int32_t offset : offsets) {
            for (int round = 0; round < 4; ++round) {
                const int32_t length = offset + static_cast<int32_t>(random() % 90);
                const std::vector<uint8_t> bytes = Plant(random, row.background, length, offset);
                SCOPED_TRACE(testing::Message()
                             << row.label << ", offset " << offset << ", body "
                             << testing::PrintToString(std::string(bytes.begin(), bytes.end())));
                for (int32_t end = 0; end <= length; ++end) {
                    const std::vector<uint8_t> exact(bytes.begin(), bytes.begin() + end);
                    for (int32_t from = 0; from <= end; ++from) {
                        ASSERT_EQ(ReferenceLineFeed(exact.data(), from, end),
                                  path.findLineFeed(exact.data(), from, end))
                            << "LF from " << from << " to " << end;
                        ASSERT_EQ(
                            ReferenceLineFeedDashDash(exact.data(), from, end, offset, kValue),
                            path.findLineFeedDashDash(exact.data(), from, end, offset, kValue))
                            << "LF \"--\" from " << from << " to " << end;
                    }
                }
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(ScanPath, ByteScan, testing::ValuesIn(kScanPaths),
                         [](const testing::TestParamInfo<const ByteScanPath*>& info) {
                             return std::string(info.param->name);
                         });

} // namespace
