// The ASP page compiler against an in-memory site: the exact script, blocks
// and line origins, through includes, and the errors (file and line) it gives.
#include "core/PageCompiler.h"
#include <gtest/gtest.h>

#include <map>
#include <utility>

namespace {

using Site = std::map<std::string, std::string>;
using Origins = std::vector<std::pair<uint32_t, uint32_t>>; // (file, line) per script line

PageLoader LoaderFor(const Site& site)
{
    return [&site](const std::string& path, std::string& bytes) {
        const auto found = site.find(path);
        return found != site.end() && (bytes = found->second, true);
    };
}

CompiledPage Compile(const Site& site)
{
    CompiledPage page;
    PageCompileError error;
    EXPECT_TRUE(CompilePage("/p.asp", LoaderFor(site), page, error)) << error.message;
    return page;
}

Origins OriginsOf(const CompiledPage& page)
{
    Origins origins;
    for (const LineOrigin& origin : page.lines)
        origins.emplace_back(origin.file, origin.line);
    return origins;
}

struct CompileRow
{
    const char* label;
    Site site; // "/p.asp" is the page
    std::string script;
    std::vector<std::string> blocks;
    Origins origins;
    std::vector<std::string> files = {"/p.asp"};
};

TEST(PageCompiler, CompilesPiecesIntoScriptWithOrigins)
{
    const std::vector<CompileRow> rows = {
        {"vbscript if around text",
         {{"/p.asp", "<% If x Then %>yes<% End If %>"}},
         " If x Then \r\nResponse.WriteBlock 0\r\n End If \r\n",
         {"yes"},
         {{0, 1}, {0, 1}, {0, 1}}},
        {"jscript braces around text and an expression",
         {{"/p.asp", "<%@ language=\"JavaScript\" %><% if (x) { %>a<% } %><%= y %>"}},
         " if (x) { \r\nResponse.WriteBlock(0);\r\n } \r\nResponse.Write( y );\r\n",
         {"a"},
         {{0, 1}, {0, 1}, {0, 1}, {0, 1}}},
        {"white space after the directive writes nothing, so Option Explicit comes first",
         {{"/p.asp", "<%@ Language=VBScript %>\r\n <% Option Explicit %>\r\nx"}},
         " Option Explicit \r\nResponse.WriteBlock 0\r\n",
         {"\r\nx"},
         {{0, 2}, {0, 2}}},
        {"multi-line code keeps one origin per line, any line break",
         {{"/p.asp", "a\r\nb\n<%x\r\ny\nz\rw%>\n<%= 1 +\n2 %>"}},
         "Response.WriteBlock 0\r\nx\r\ny\r\nz\r\nw\r\nResponse.WriteBlock 1\r\n"
         "Response.Write( 1 +\r\n2 )\r\n",
         {"a\r\nb\n", "\n"},
         {{0, 1}, {0, 3}, {0, 4}, {0, 5}, {0, 6}, {0, 6}, {0, 7}, {0, 8}}},
        {"first %> ends the block even inside a string",
         {{"/p.asp", "<% s = \"%>\" %>"}},
         " s = \"\r\nResponse.WriteBlock 0\r\n",
         {"\" %>"},
         {{0, 1}, {0, 1}}},
        {"includes nest with their own origins; repeated file shares its index",
         {{"/p.asp", "top\n<!-- #INCLUDE  File = \"inc/a.inc\"  -->mid\n"
                     "<!--#include virtual=\"/inc/b.inc\"-->"},
          {"/inc/a.inc", "\xEF\xBB\xBF"
                         "A\n<% a %><!-- #include file=\"..\\inc\\.\\b.inc\" -->"},
          {"/inc/b.inc", "\n<% b %>"}},
         "Response.WriteBlock 0\r\nResponse.WriteBlock 1\r\n a \r\nResponse.WriteBlock 2\r\n"
         " b \r\nResponse.WriteBlock 3\r\nResponse.WriteBlock 4\r\n b \r\n",
         {"top\n", "A\n", "\n", "mid\n", "\n"},
         {{0, 1}, {1, 1}, {1, 2}, {2, 1}, {2, 2}, {0, 2}, {2, 1}, {2, 2}},
         {"/p.asp", "/inc/a.inc", "/inc/b.inc"}},
        {"server script in the page's language; a later <% is searched again",
         {{"/p.asp", "<% x %>\n<SCRIPT Language=\"VBScript\" RunAt=server>\nSub F() '<%\n"
                     "</script >t<script>c</script><%y%>"}},
         " x \r\nResponse.WriteBlock 0\r\n\r\nSub F() '<%\r\n\r\n"
         "Response.WriteBlock 1\r\ny\r\n",
         {"\n", "t<script>c</script>"},
         {{0, 1}, {0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 4}, {0, 4}}},
        {"includes inside code and plain comments stay as they are",
         {{"/p.asp", "<!-- note --><% '<!-- #include file=\"x\" --> %>"}},
         "Response.WriteBlock 0\r\n '<!-- #include file=\"x\" --> \r\n",
         {"<!-- note -->"},
         {{0, 1}, {0, 1}}},
    };
    for (const CompileRow& row : rows) {
        SCOPED_TRACE(row.label);
        const CompiledPage page = Compile(row.site);
        EXPECT_EQ(row.script, page.script);
        EXPECT_EQ(row.blocks, page.blocks);
        EXPECT_EQ(row.origins, OriginsOf(page));
        EXPECT_EQ(row.files, page.files);
    }
}

TEST(PageCompiler, ReadsDirectiveAndByteOrderMark)
{
    const struct
    {
        const char* page;
        ScriptLanguage language;
        unsigned codePage;
        const char* script;
    } rows[] = {
        {"\xEF\xBB\xBF<%x%>", ScriptLanguage::VBScript, 65001, "x\r\n"},
        {"\xEF\xBB\xBF\r\n<%@ CODEPAGE='936' Language=JScript LCID=2052 %>",
         ScriptLanguage::JScript, 936, "Response.WriteBlock(0);\r\n"},
        {"<%@Transaction=Required EnableSessionState=False language = \"VBScRIPT\"%>",
         ScriptLanguage::VBScript, 0, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.page);
        const CompiledPage page = Compile({{"/p.asp", row.page}});
        EXPECT_EQ(row.language, page.language);
        EXPECT_EQ(row.codePage, page.codePage);
        EXPECT_EQ(row.script, page.script);
    }
}

// A file that includes the next one, down to the given depth.
Site IncludeChain(int depth)
{
    Site site = {{"/p.asp", "<!-- #include file=\"1.inc\" -->"}};
    for (int i = 1; i <= depth; ++i)
        site["/" + std::to_string(i) + ".inc"] =
            i == depth ? "end" : "<!-- #include file=\"" + std::to_string(i + 1) + ".inc\" -->";
    return site;
}

std::string Repeat(const std::string& text, int count)
{
    return count == 0 ? "" : text + Repeat(text, count - 1);
}

TEST(PageCompiler, RefusesBrokenPagesWithFileAndLine)
{
    const std::string tooDeep = "includes nested too deeply: /";
    const std::vector<std::pair<Site, std::string>> rows = {
        // site, "file:line message"
        {{{"/p.asp", "a\r\n<% x %>\n<% y"}}, "0:3 unterminated <% block: no %> follows"},
        {{{"/p.asp", "<%@ language=vbscript %>\n<%@ codepage=936 %>"}},
         "0:2 the @ directive may appear only once, as the first command of the page"},
        {{{"/p.asp", "hi <%@ language=jscript %>"}},
         "0:1 the @ directive may appear only once, as the first command of the page"},
        {{{"/p.asp", "\n<%@ Language=Perl %>"}}, "0:2 unknown script language: Perl"},
        {{{"/p.asp", "<%@ CodePage=70000 %>"}}, "0:1 invalid CodePage: 70000"},
        {{{"/p.asp", "<!-- #include file=\"a.inc\" -->"},
          {"/a.inc", "\n\n<!--#include file=\"b\"-->"}},
         "1:3 include file not found: /b"},
        {{{"/p.asp", "<!-- #include virtual=\"/x/../../p.asp\" -->"}},
         "0:1 include path leaves the root: /x/../../p.asp"},
        {{{"/p.asp", "\n<!-- #include file=a.inc -->"}},
         "0:2 malformed #include: expected <!-- #include file=\"...\" --> or virtual=\"...\""},
        {{{"/p.asp", "<!-- #include file=\"p.asp\" -->"}}, "0:1 " + tooDeep + "p.asp"},
        {IncludeChain(kMaxIncludeDepth), "15:1 " + tooDeep + "16.inc"},
        {{{"/p.asp", "<!-- #include file=\"a\" -->"},
          {"/a", Repeat("<!-- #include file=\"b\" -->", 40)},
          {"/b", Repeat("<!-- #include file=\"c\" -->", 30)},
          {"/c", "<% c %>"}},
         "2:1 too many includes: /c"},
        {{{"/p.asp", "<script runat=server language=jscript>x</script>"}},
         "0:1 a <script runat=\"server\"> block must use the page's language"},
        {{{"/p.asp", "\n<script runat=\"server\">x</script"}},
         "0:2 unterminated <script runat=\"server\">: no </script>"},
    };
    for (const auto& [site, expected] : rows) {
        SCOPED_TRACE(expected);
        CompiledPage page;
        PageCompileError error;
        EXPECT_FALSE(CompilePage("/p.asp", LoaderFor(site), page, error));
        EXPECT_EQ(expected, std::to_string(error.file) + ":" + std::to_string(error.line) + " " +
                                error.message);
        EXPECT_LT(error.file, page.files.size());
    }
}

TEST(PageCompiler, AcceptsIncludeChainJustWithinDepth)
{
    EXPECT_EQ(std::vector<std::string>{"end"}, Compile(IncludeChain(kMaxIncludeDepth - 1)).blocks);
}

} // namespace
