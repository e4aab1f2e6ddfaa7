// Compiles a classic ASP page into one script for an Active Scripting engine.
// Each piece becomes its own line(s), ended by CR LF:
//   literal text  -> VBScript "Response.WriteBlock N", JScript "Response.WriteBlock(N);"
//                    (the literal bytes are written unchanged from blocks[N])
//   <%= expr %>   -> VBScript "Response.Write(expr)", JScript "Response.Write(expr);"
//   <% code %>    -> the code as it stands, line for line
// Literal text that is empty produces nothing. Handles the page's <%@ ... %> directive and
// server-side includes. Platform-neutral: it works on the page's bytes and reads included files
// through a loader.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

enum class ScriptLanguage
{
    VBScript,
    JScript
};

// Where a line of the compiled script came from, for error messages.
struct LineOrigin
{
    uint32_t file = 0; // index into CompiledPage::files
    uint32_t line = 1; // 1-based line in that file
};

struct CompiledPage
{
    ScriptLanguage language = ScriptLanguage::VBScript; // from the directive
    unsigned codePage = 0;           // the directive's CodePage=N; else 65001 when the page starts
                                     // with a UTF-8 byte-order mark (removed); else 0
    std::string script;              // the script, in the page's own bytes
    std::vector<std::string> blocks; // literal blocks: WriteBlock(n) writes blocks[n]
    std::vector<LineOrigin> lines;   // origin of each line of script (index 0 = line 1)
    std::vector<std::string> files;  // virtual paths ("/sub/page.asp"); files[0] is the page
};

// Reads the bytes of a file by its virtual path ("/inc/x.inc"); false when
// there is none.
using PageLoader = std::function<bool(const std::string& virtualPath, std::string& bytes)>;

struct PageCompileError
{
    std::string message; // "include file not found: /inc/x.inc", ...
    uint32_t file = 0;   // index into CompiledPage::files
    uint32_t line = 1;
};

// Include depth at which compiling stops with an error (a file that includes
// itself, directly or not, ends there).
constexpr int kMaxIncludeDepth = 16;

// Include expansions a page may make in total, repeats counted: a file that
// includes another several times at every level would otherwise take
// exponential time before the depth limit stops it.
constexpr int kMaxIncludeCount = 1000;

// Compiles the page at virtualPath (must start with '/'). file="x" is
// resolved against the including file's folder, virtual="/x" against the
// served root; a path that would leave the root is an error. Returns false
// with error set when the page cannot be compiled (unterminated <%, bad
// include, depth); page.files is filled as far as it got.
bool CompilePage(const std::string& virtualPath, const PageLoader& loader, CompiledPage& page,
                 PageCompileError& error);
