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

TEST(RequestPath, ContentTypeByExtensionInAnyCase)
{
    EXPECT_EQ("text/html", ContentTypeFor("a/INDEX.HTM"));
    EXPECT_EQ("image/jpeg", ContentTypeFor("p.Jpeg"));
    EXPECT_EQ("font/woff2", ContentTypeFor("f.woff2"));
    EXPECT_EQ("text/javascript", ContentTypeFor("m.mjs"));
    EXPECT_EQ("application/octet-stream", ContentTypeFor("x.html/README"));
    EXPECT_EQ("application/octet-stream", ContentTypeFor("archive.tar"));
    EXPECT_EQ("application/octet-stream", ContentTypeFor("html"));
}

} // namespace
