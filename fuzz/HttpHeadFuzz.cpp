// Parses arbitrary bytes as the start of a request and checks what the host
// relies on: a complete head never claims more bytes than it was given nor
// more than kMaxHeadBytes; a parse that needs more bytes still needs them
// (or fails the same way) when bytes are added; framing never lets a refused
// request keep its connection; and a mapped path holds no "." or ".."
// segment, no empty segment, no '\\', ':' or NUL, and maps again to itself
// once its '%' bytes are escaped. Inputs that are no complete head are
// also mapped as request paths, so that the mapper is reached directly.
#include "HttpHead.h"
#include "RequestPath.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::string EscapePercent(const std::string& text)
{
    std::string escaped;
    for (char c : text)
        escaped += c == '%' ? std::string("%25") : std::string(1, c);
    return escaped;
}

void CheckMappedPath(const std::string& path)
{
    std::string relative;
    if (!MapRequestPath(path, relative))
        return;
    Check(relative.find('\\') == std::string::npos && relative.find(':') == std::string::npos);
    Check(relative.find('\0') == std::string::npos);
    std::string_view rest = relative;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view segment = rest.substr(0, slash);
        Check(!segment.empty() && segment != "." && segment != "..");
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    std::string again;
    Check(MapRequestPath("/" + EscapePercent(relative), again) && again == relative);
}

void CheckFraming(const HttpHead& head)
{
    const RequestFraming framing = DecideFraming(head, 1 << 20);
    if (framing.refusal != 0)
        Check(!framing.keepAlive && framing.contentLength == 0);
    else
        Check(framing.contentLength <= (1 << 20));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HttpHead head;
    size_t headLength = 0;
    const HeadParse result = ParseHttpHead(bytes, head, headLength);
    if (result == HeadParse::Incomplete)
        Check(size < kMaxHeadBytes);
    if (result != HeadParse::Complete) {
        // Short inputs that are no head are tried as request paths directly.
        CheckMappedPath(std::string(bytes.substr(0, 4096)));
        return 0;
    }
    Check(headLength <= size && headLength <= kMaxHeadBytes);
    Check(head.path.size() <= head.target.size());
    // The same head followed by other bytes parses to the same length.
    HttpHead prefixHead;
    size_t prefixLength = 0;
    Check(ParseHttpHead(bytes.substr(0, headLength), prefixHead, prefixLength) ==
              HeadParse::Complete &&
          prefixLength == headLength);
    CheckFraming(head);
    CheckMappedPath(head.path);
    return 0;
}
