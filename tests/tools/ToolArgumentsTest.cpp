// Command-line parsing of tavrin-upload: accepted forms, and every mistake
// refused with a message rather than run with a guess.
#include "ToolArguments.h"

#include <gtest/gtest.h>

namespace {

struct AcceptRow
{
    const char* label;
    std::vector<std::u16string> args;
    ToolMode mode;
    std::u16string body;
    std::u16string dir;
    bool overwrite;
    bool hasPageCode;
    int32_t pageCode;
};

TEST(ToolArguments, AcceptsTheDocumentedForms)
{
    const AcceptRow rows[] = {
        {"inspect", {u"inspect", u"a.body"}, ToolMode::Inspect, u"a.body", u"", false, false, 0},
        {"inspect with page code after",
         {u"inspect", u"a.body", u"--page-code", u"936"},
         ToolMode::Inspect,
         u"a.body",
         u"",
         false,
         true,
         936},
        {"page code before the body, inline value",
         {u"inspect", u"--page-code=65001", u"a.body"},
         ToolMode::Inspect,
         u"a.body",
         u"",
         false,
         true,
         65001},
        {"negative page code",
         {u"inspect", u"x", u"--page-code", u"-1"},
         ToolMode::Inspect,
         u"x",
         u"",
         false,
         true,
         -1},
        {"extract",
         {u"extract", u"b", u"--to", u"out"},
         ToolMode::Extract,
         u"b",
         u"out",
         false,
         false,
         0},
        {"extract with everything",
         {u"extract", u"--overwrite", u"--to=C:\\t", u"--page-code", u"0", u"b"},
         ToolMode::Extract,
         u"b",
         u"C:\\t",
         true,
         true,
         0},
        {"body after -- may start with a hyphen",
         {u"inspect", u"--", u"-odd.body"},
         ToolMode::Inspect,
         u"-odd.body",
         u"",
         false,
         false,
         0},
        {"single hyphen is a path",
         {u"inspect", u"-"},
         ToolMode::Inspect,
         u"-",
         u"",
         false,
         false,
         0},
        {"help", {u"--help"}, ToolMode::Help, u"", u"", false, false, 0},
    };
    for (const AcceptRow& row : rows) {
        SCOPED_TRACE(row.label);
        const ParsedArguments parsed = ParseToolArguments(row.args);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(row.mode, parsed.arguments.mode);
        EXPECT_TRUE(row.body == parsed.arguments.bodyPath);
        EXPECT_TRUE(row.dir == parsed.arguments.targetDir);
        EXPECT_EQ(row.overwrite, parsed.arguments.overwrite);
        EXPECT_EQ(row.hasPageCode, parsed.arguments.hasPageCode);
        EXPECT_EQ(row.pageCode, parsed.arguments.pageCode);
    }
}

struct RefuseRow
{
    const char* label;
    std::vector<std::u16string> args;
    const char* messagePart;
};

TEST(ToolArguments, RefusesMistakesWithAMessage)
{
    const RefuseRow rows[] = {
        {"nothing", {}, "no command"},
        {"unknown command", {u"list", u"a"}, "unknown command \"list\""},
        {"no body", {u"inspect"}, "no body file"},
        {"empty body path", {u"inspect", u""}, "no body file"},
        {"two bodies", {u"inspect", u"a", u"b"}, "more than one body"},
        {"page code without value", {u"inspect", u"a", u"--page-code"}, "needs a value"},
        {"page code not a number", {u"inspect", u"a", u"--page-code", u"gbk"}, "whole number"},
        {"page code with trailing text", {u"inspect", u"a", u"--page-code=936x"}, "whole number"},
        {"page code empty inline", {u"inspect", u"a", u"--page-code="}, "whole number"},
        {"page code above 32 bits",
         {u"inspect", u"a", u"--page-code", u"2147483648"},
         "whole number"},
        {"page code below 32 bits",
         {u"inspect", u"a", u"--page-code", u"-2147483649"},
         "whole number"},
        {"page code twice",
         {u"inspect", u"a", u"--page-code", u"1", u"--page-code", u"2"},
         "twice"},
        {"--to with inspect", {u"inspect", u"a", u"--to", u"d"}, "unknown option \"--to\""},
        {"--overwrite with inspect", {u"inspect", u"a", u"--overwrite"}, "unknown option"},
        {"extract without --to", {u"extract", u"a"}, "needs --to"},
        {"extract with empty --to", {u"extract", u"a", u"--to="}, "needs a directory"},
        {"--to twice", {u"extract", u"a", u"--to", u"d", u"--to", u"e"}, "twice"},
        {"value on a flag",
         {u"extract", u"a", u"--to", u"d", u"--overwrite=yes"},
         "takes no value"},
        {"unknown option", {u"inspect", u"a", u"-v"}, "unknown option \"-v\""},
        {"help with arguments", {u"help", u"inspect"}, "no arguments"},
    };
    for (const RefuseRow& row : rows) {
        SCOPED_TRACE(row.label);
        const ParsedArguments parsed = ParseToolArguments(row.args);
        EXPECT_FALSE(parsed.ok);
        EXPECT_NE(std::string::npos, parsed.error.find(row.messagePart)) << parsed.error;
    }
}

TEST(ToolArguments, PageCodeCoversTheWholeSignedRange)
{
    int32_t value = 0;
    ASSERT_TRUE(ParsePageCode(u"2147483647", &value));
    EXPECT_EQ(INT32_MAX, value);
    ASSERT_TRUE(ParsePageCode(u"-2147483648", &value));
    EXPECT_EQ(INT32_MIN, value);
    EXPECT_FALSE(ParsePageCode(u"-", &value));
    EXPECT_FALSE(ParsePageCode(u"+5", &value));
    EXPECT_FALSE(ParsePageCode(u"99999999999999999999", &value));
}

} // namespace
