// The one HTTP date writer: the day of the week must be right on both sides
// of the epoch and across the leap-year rules, since both the Date header
// and cookie expiry dates go through it.
#include "core/HttpDate.h"

#include <gtest/gtest.h>

namespace {

TEST(HttpDate, NamesTheWeekdayAcrossEpochAndLeapRules)
{
    const struct
    {
        CivilTime time;
        const char* expected;
    } rows[] = {
        {{1994, 11, 6, 8, 49, 37}, "Sun, 06 Nov 1994 08:49:37 GMT"},
        {{1970, 1, 1, 0, 0, 0}, "Thu, 01 Jan 1970 00:00:00 GMT"},
        {{1969, 12, 31, 23, 59, 59}, "Wed, 31 Dec 1969 23:59:59 GMT"},
        {{2000, 2, 29, 12, 0, 0}, "Tue, 29 Feb 2000 12:00:00 GMT"},
        {{2100, 3, 1, 0, 0, 0}, "Mon, 01 Mar 2100 00:00:00 GMT"},
        {{1600, 3, 1, 0, 0, 0}, "Wed, 01 Mar 1600 00:00:00 GMT"},
        {{2026, 12, 7, 19, 5, 9}, "Mon, 07 Dec 2026 19:05:09 GMT"},
        {{2026, 13, 1, 0, 0, 0}, ""},
        {{2026, 0, 1, 0, 0, 0}, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.expected);
        EXPECT_EQ(row.expected, HttpDate(row.time));
    }
}

} // namespace
