// The largest request body a platform can take: a LONG count for pages and
// the component, and a size_t for a body held in memory.
#include "core/RequestLimits.h"

#include <gtest/gtest.h>

namespace {

TEST(RequestLimits, LargestBodyFitsLongAndSizeT)
{
    const struct
    {
        const char* label;
        uint64_t sizeMax;
        uint64_t largest;
    } rows[] = {
        {"64-bit size_t: a LONG limits", UINT64_MAX, 0x7FFFFFFF},
        // 4294967312 bytes once wrapped to 16 in a 32-bit size_t.
        {"32-bit size_t: a LONG limits", UINT32_MAX, 0x7FFFFFFF},
        {"a size_t narrower than LONG limits", 0xFFFF, 0xFFFF},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(row.largest, LargestRequestBytes(row.sizeMax));
    }
}

} // namespace
