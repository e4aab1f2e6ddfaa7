// Compiles pages made from the input against a site made from the input:
// the input splits at NUL bytes into pieces; piece 0 is the page "/p.asp",
// and an included path is served the piece named by its first digit ("/3.inc",
// "/a/3" -> piece 3), or is missing when there is no such digit or piece.
// Checks that the script, its origins and its blocks agree: one origin per
// CR LF-ended line, no other line break in the script, every origin in a
// known file, and (when the input cannot write a WriteBlock line itself) the
// WriteBlock lines naming blocks 0, 1, 2, ... in order, none of them empty.
#include "PageCompiler.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

std::vector<std::string> SplitPieces(std::string_view input)
{
    std::vector<std::string> pieces;
    size_t start = 0;
    while (true) {
        const size_t nul = input.find('\0', start);
        pieces.emplace_back(input.substr(start, nul == std::string_view::npos ? nul : nul - start));
        if (nul == std::string_view::npos)
            return pieces;
        start = nul + 1;
    }
}

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckLines(const CompiledPage& page)
{
    size_t breaks = 0;
    for (size_t i = 0; i < page.script.size(); ++i) {
        const char c = page.script[i];
        if (c == '\r')
            Check(i + 1 < page.script.size() && page.script[i + 1] == '\n');
        if (c == '\n') {
            Check(i > 0 && page.script[i - 1] == '\r');
            ++breaks;
        }
    }
    Check(page.script.empty() || page.script.back() == '\n');
    Check(breaks == page.lines.size());
    for (const LineOrigin& origin : page.lines)
        Check(origin.file < page.files.size() && origin.line >= 1);
}

// The index of a WriteBlock line in either language, or -1.
long BlockIndex(std::string_view line, ScriptLanguage language)
{
    const std::string_view prefix = language == ScriptLanguage::VBScript
                                        ? std::string_view("Response.WriteBlock ")
                                        : std::string_view("Response.WriteBlock(");
    const std::string_view suffix =
        language == ScriptLanguage::VBScript ? std::string_view() : std::string_view(");");
    if (line.substr(0, prefix.size()) != prefix || line.size() < prefix.size() + suffix.size())
        return -1;
    if (line.substr(line.size() - suffix.size()) != suffix)
        return -1;
    const std::string_view digits =
        line.substr(prefix.size(), line.size() - prefix.size() - suffix.size());
    if (digits.empty() || digits.size() > 9)
        return -1;
    long index = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return -1;
        index = index * 10 + (c - '0');
    }
    return index;
}

void CheckBlocks(const CompiledPage& page, bool inputWritesBlocks)
{
    for (const std::string& block : page.blocks)
        Check(!block.empty());
    long next = 0;
    size_t start = 0;
    while (start < page.script.size()) {
        const size_t end = page.script.find("\r\n", start);
        const long index = BlockIndex(page.script.substr(start, end - start), page.language);
        start = end + 2;
        if (index < 0)
            continue;
        Check(static_cast<size_t>(index) < page.blocks.size() || inputWritesBlocks);
        if (!inputWritesBlocks)
            Check(index == next++);
    }
    Check(inputWritesBlocks || static_cast<size_t>(next) == page.blocks.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> pieces = SplitPieces(input);
    const PageLoader loader = [&pieces](const std::string& path, std::string& bytes) {
        if (path == "/p.asp") {
            bytes = pieces[0];
            return true;
        }
        const size_t digit = path.find_first_of("0123456789");
        if (digit == std::string::npos || static_cast<size_t>(path[digit] - '0') >= pieces.size())
            return false;
        bytes = pieces[static_cast<size_t>(path[digit] - '0')];
        return true;
    };
    CompiledPage page;
    PageCompileError error;
    if (!CompilePage("/p.asp", loader, page, error)) {
        Check(!error.message.empty() && error.file < page.files.size() && error.line >= 1);
        return 0;
    }
    CheckLines(page);
    CheckBlocks(page, input.find("WriteBlock") != std::string_view::npos);
    return 0;
}
