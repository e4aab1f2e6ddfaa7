// The file-name checks of extract: hostile client file names are refused,
// ordinary ones (including non-ASCII and odd but legal ones) are kept.
#include "SafeFileName.h"

#include "common/JsonText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct NameRow
{
    std::u16string name;
    const char* reasonPart; // null: accepted
};

// The end-to-end extract of hostile-names.body shows the everyday cases
// (an ordinary name, "..", an empty name, a stream, a trailing dot or space);
// which names Windows reads differently is the shared rule's own table. Here:
// what extract adds to it, and one name for each reason it gives.
TEST(SafeFileName, RefusesNamesThatLeaveTheDirectoryOrThatWindowsTreatsSpecially)
{
    const NameRow rows[] = {
        {u"\u4e2d\u6587\u6587\u4ef6.txt", nullptr},
        {u"\U0001F600.png", nullptr},
        {u"", "empty"},
        {u".", "directory"},
        {u"..", "directory"},
        {u"..\\evil.txt", "path separator"},
        {u"a:b", "':'"},
        {u"two\nlines.txt", "control character"},
        {u"star*.txt", "does not allow"},
        {u"name..", "dot or a space"},
        {u"Con .txt", "device"},
        {std::u16string(251, u'a') + u".txt", nullptr},
        {std::u16string(256, u'a'), "longer than 255"},
    };
    for (const NameRow& row : rows) {
        std::string label;
        AppendJsonString(label, row.name);
        SCOPED_TRACE(label);
        const char* reason = UnsafeFileNameReason(row.name);
        if (!row.reasonPart) {
            EXPECT_EQ(nullptr, reason) << reason;
            continue;
        }
        ASSERT_NE(nullptr, reason);
        EXPECT_NE(nullptr, std::strstr(reason, row.reasonPart)) << reason;
    }
}

} // namespace
