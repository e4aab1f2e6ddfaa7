#include "core/RequestPath.h"

#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// Each row lists paths separated by spaces.
TEST(RequestPath, RefusesEveryWayOutOfTheFolder)
{
    const struct
    {
        const char* label;
        const char* paths;
    } rows[] = {
        {"not rooted", "a.asp http://h/a"},
        {"dot segments", "/.. /a/../b /. /a/./b"},
        {"encoded dot segments", "/%2e%2e/x /%2E./x /.%2e"},
        {"encoded slash", "/a/..%2fb /a/%2f /a%2F..%2F..%2Fb"},
        {"backslash", "/a\\b /a%5cb /a%5C..%5Cb"},
        {"colon", "/c:/x /C%3a/x /a.asp::$DATA /a.asp%3a%3a$DATA"},
        {"control bytes", "/a%00.asp /a%0a /a%7f"},
        {"trailing dot or space", "/a.asp. /a.asp%20 /dir./x"},
        {"empty segment", "// /a//b"},
        {"devices",
         "/CON /con.txt /Aux.asp /nul%20.txt /sub/lpt9.htm /COM1 /com%C2%B9.txt /conin$"},
        {"wildcards", "/a%2a /a%3f"},
        {"invalid UTF-8", "/%ff /%c0%ae%c0%ae/x /%ed%a0%80 /%e2%82"},
    };
    std::string relative;
    EXPECT_FALSE(MapRequestPath("", relative));
    for (const auto& row : rows) {
        std::istringstream paths(row.paths);
        for (std::string path; paths >> path;) {
            SCOPED_TRACE(std::string(row.label) + ": " + path);
            relative = "stale";
            EXPECT_FALSE(MapRequestPath(path, relative));
            EXPECT_EQ("", relative);
        }
    }
}

TEST(RequestPath, MapsLookalikesThatAreOrdinaryNames)
{
    const struct
    {
        const char* path;
        const char* relative;
    } rows[] = {
        {"/", ""},
        {"/sub/", "sub/"},
        {"/..a/b..c/.d", "..a/b..c/.d"},
        {"/a%20b/%e4%b8%ad.asp", "a b/\xE4\xB8\xAD.asp"},
        {"/a+b%2", "a+b%2"},
        {"/%252e%252e/x", "%2e%2e/x"},
        {"/console.asp", "console.asp"},
        {"/com10", "com10"},
        {"/lpt", "lpt"},
        {"/nul-x.txt", "nul-x.txt"},
        {"/CONx/a.asp", "CONx/a.asp"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        std::string relative;
        EXPECT_TRUE(MapRequestPath(row.path, relative));
        EXPECT_EQ(row.relative, relative);
    }
}

// A decoded path (a page, an include, Server.MapPath's result) is judged
// by the same rule, but a '%' in it is part of a file name.
TEST(RequestPath, VirtualPathsKeepPercentAndMeetTheSameRefusals)
{
    const struct
    {
        const char* path;
        bool mapped;
        const char* relative;
    } rows[] = {
        {"/a%20b/100%.asp", true, "a%20b/100%.asp"},
        {"/%2e%2e/x", true, "%2e%2e/x"},
        {"/inc/", true, "inc/"},
        {"/inc/../x", false, ""},
        {"/inc/nul.asp", false, ""},
        {"/inc/a.asp::$DATA", false, ""},
        {"/inc\\x", false, ""},
        {"/inc.", false, ""},
        {"//inc", false, ""},
        {"inc/a.asp", false, ""},
        {"/\xff.asp", false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path);
        std::string relative = "stale";
        EXPECT_EQ(row.mapped, MapVirtualPath(row.path, relative));
        EXPECT_EQ(row.relative, relative);
    }
}

TEST(RequestPath, ContentTypeByExtensionInAnyCase)
{
    EXPECT_EQ("text/html", ContentTypeFor("a/INDEX.HTM"));
    EXPECT_EQ("image/jpeg", ContentTypeFor("p.Jpeg"));
    EXPECT_EQ("font/woff2", ContentTypeFor("f.woff2"));
    EXPECT_EQ("text/javascript", ContentTypeFor("m.mjs"));
}

// Files of these names are never sent: they hold source (includes, the
// application file, configuration) or are of no known type.
TEST(RequestPath, NoContentTypeForSourceAndUnknownFiles)
{
    for (const char* name :
         {"inc/safe-save.inc", "INC/X.INC", "global.asa", "GLOBAL.ASA", "web.config", "Web.Config",
          "page.aspx", "x.html/README", "archive.tar", "html", "a.", "data.bin"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ("", ContentTypeFor(name));
    }
}

TEST(RequestPath, HiddenSegmentAnywhereInThePath)
{
    const struct
    {
        const char* relative;
        bool hidden;
    } rows[] = {
        {".git/config", true},  {"a/.env", true},       {"a/.b/c.txt", true},
        {".hidden.html", true}, {"a/b.c/d.txt", false}, {"", false},
        {"sub/", false},        {"x..y/z", false},      {"a/b./c", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.relative);
        EXPECT_EQ(row.hidden, HasHiddenSegment(row.relative));
    }
}

} // namespace
