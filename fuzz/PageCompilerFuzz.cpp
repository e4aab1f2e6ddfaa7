// Compiles the input's NUL-separated pieces as a site: piece 0 is "/p.asp", an include gets the
// piece its path's first digit names ("/a/3" -> 3). Errors name a known file and line; a script has
// one origin per CR LF line, in a known file, and (unless the input says "WriteBlock") one
// WriteBlock line per block, none empty.
#include "core/PageCompiler.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

void CheckPage(const CompiledPage& page, bool inputWritesBlocks)
{
    const std::string& script = page.script;
    const std::string_view write = "Response.WriteBlock";
    size_t lines = 0, writes = 0;
    // Every line, the last one included, ends with CR LF; no other CR or LF.
    for (size_t start = 0; start < script.size(); ++lines) {
        const size_t end = script.find("\r\n", start);
        Check(end != std::string::npos);
        Check(script.find_first_of("\r\n", start) == end);
        writes += script.compare(start, write.size(), write) == 0;
        start = end + 2;
    }
    Check(lines == page.lines.size());
    for (const LineOrigin& origin : page.lines) {
        Check(origin.file < page.files.size());
        Check(origin.line >= 1);
    }
    for (const std::string& block : page.blocks)
        Check(!block.empty());
    Check(inputWritesBlocks || writes == page.blocks.size());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::vector<std::string> pieces(1);
    for (char c : input) {
        if (c == '\0')
            pieces.emplace_back();
        else
            pieces.back().push_back(c);
    }
    const PageLoader loader = [&pieces](const std::string& path, std::string& bytes) {
        const size_t digit = path.find_first_of("0123456789");
        const size_t index = path == "/p.asp"             ? 0
                             : digit == std::string::npos ? pieces.size()
                                                          : path[digit] - '0';
        if (index >= pieces.size())
            return false;
        bytes = pieces[index];
        return true;
    };
    CompiledPage page;
    PageCompileError error;
    if (!CompilePage("/p.asp", loader, page, error)) {
        Check(!error.message.empty());
        Check(error.file < page.files.size());
        Check(error.line >= 1);
        return 0;
    }
    CheckPage(page, input.find("WriteBlock") != std::string_view::npos);
    return 0;
}
