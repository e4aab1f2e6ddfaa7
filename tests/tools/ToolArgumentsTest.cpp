// Command-line parsing of tavrin-upload: accepted forms, and every mistake
// refused with a message rather than run with a guess.
#include "ToolArguments.h"

#include <gtest/gtest.h>
#include <string>

namespace {

// The parsed arguments in one line: mode, body, then what was given.
std::string Describe(const ToolArguments& arguments)
{
    const char* modes[] = {"help", "inspect", "extract"};
    std::string text = modes[static_cast<int>(arguments.mode)];
    text += " [" + std::string(arguments.bodyPath.begin(), arguments.bodyPath.end()) + "]";
    if (!arguments.targetDir.empty())
        text += " to " + std::string(arguments.targetDir.begin(), arguments.targetDir.end());
    if (arguments.overwrite)
        text += " overwrite";
    if (arguments.hasPageCode)
        text += " page " + std::to_string(arguments.pageCode);
    return text;
}

// The end-to-end steps run "inspect BODY" and "inspect BODY --page-code 936".
TEST(ToolArguments, AcceptsTheDocumentedForms)
{
    const struct
    {
        std::vector<std::u16string> args;
        const char* parsed;
    } rows[] = {
        {{u"inspect", u"--page-code=65001", u"a.body"}, "inspect [a.body] page 65001"},
        {{u"inspect", u"x", u"--page-code", u"-1"}, "inspect [x] page -1"},
        {{u"inspect", u"x", u"--page-code=2147483647"}, "inspect [x] page 2147483647"},
        {{u"inspect", u"x", u"--page-code=-2147483648"}, "inspect [x] page -2147483648"},
        {{u"extract", u"b", u"--to", u"out"}, "extract [b] to out"},
        {{u"extract", u"--overwrite", u"--to=C:\\t", u"--page-code", u"0", u"b"},
         "extract [b] to C:\\t overwrite page 0"},
        {{u"inspect", u"--", u"-odd.body"}, "inspect [-odd.body]"},
        {{u"inspect", u"-"}, "inspect [-]"},
        {{u"--help"}, "help []"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.parsed);
        const ParsedArguments parsed = ParseToolArguments(row.args);
        ASSERT_TRUE(parsed.ok) << parsed.error;
        EXPECT_EQ(row.parsed, Describe(parsed.arguments));
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
        {"page code with trailing text", {u"inspect", u"a", u"--page-code=936x"}, "whole number"},
        {"page code empty inline", {u"inspect", u"a", u"--page-code="}, "whole number"},
        {"page code sign only", {u"inspect", u"a", u"--page-code=-"}, "whole number"},
        {"page code with plus", {u"inspect", u"a", u"--page-code=+5"}, "whole number"},
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

} // namespace
