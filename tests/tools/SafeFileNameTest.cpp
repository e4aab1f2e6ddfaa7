// The file-name checks of extract: hostile client file names are refused,
// ordinary ones (including non-ASCII and odd but legal ones) are kept.
#include "SafeFileName.h"

#include "JsonText.h"

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
// (an ordinary name, "..", an empty name, a stream, a trailing dot or space).
TEST(SafeFileName, RefusesNamesThatLeaveTheDirectoryOrThatWindowsTreatsSpecially)
{
    const NameRow rows[] = {
        {u"\u4e2d\u6587\u6587\u4ef6.txt", nullptr},
        {u".profile", nullptr},
        {u"...x", nullptr},
        {u"CONSOLE.txt", nullptr},
        {u"COM10", nullptr},
        {u"LPT", nullptr},
        {u"xCON", nullptr},
        {u"\U0001F600.png", nullptr},
        {u".", "directory"},
        {u"..\\evil.txt", "path separator"},
        {u"../evil.txt", "path separator"},
        {u"a:b", "':'"},
        {u"two\nlines.txt", "control character"},
        {std::u16string(u"nul\0byte", 8), "control character"},
        {u"what?.txt", "does not allow"},
        {u"star*.txt", "does not allow"},
        {u"pipe|.txt", "does not allow"},
        {u"<tag>", "does not allow"},
        {u"say \"hi\".txt", "does not allow"},
        {u"name..", "dot or a space"},
        {u"CON", "device"},
        {u"Con .txt", "device"},
        {u"nul.tar.gz", "device"},
        {u"PRN", "device"},
        {u"aux.c", "device"},
        {u"COM1", "device"},
        {u"lpt9.log", "device"},
        {u"COM\u00b9", "device"},
        {u"CONIN$", "device"},
        {u"conout$.txt", "device"},
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
