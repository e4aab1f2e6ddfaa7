// Arbitrary bytes as a request: a complete head claims no more than it was given nor kMaxHeadBytes,
// and parses the same alone; the reader fed the bytes in pieces decides as the whole buffer does;
// a refused request never keeps its connection; a mapped path (of the head, or of the input when
// it is no head) has no empty, "." or ".." segment, no '\\', ':' or NUL.
#include "core/HttpHead.h"
#include "core/RequestPath.h"

#include <algorithm>
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

void CheckMappedPath(const std::string& path)
{
    std::string relative;
    if (!MapRequestPath(path, relative))
        return;
    Check(relative.find_first_of(std::string("\\:\0", 3)) == std::string::npos);
    for (size_t start = 0; start < relative.size();) {
        const size_t slash = std::min(relative.find('/', start), relative.size());
        const std::string segment = relative.substr(start, slash - start);
        Check(!segment.empty());
        Check(segment != ".");
        Check(segment != "..");
        start = slash + 1;
    }
}

// Feeds the bytes to one reader in pieces whose sizes come from the bytes
// themselves, as recv would hand them over, until it decides.
HeadParse ReadInPieces(std::string_view bytes, HttpHead& head, size_t& length)
{
    HttpHeadReader reader;
    size_t given = 0;
    HeadParse result = HeadParse::Incomplete;
    while (result == HeadParse::Incomplete && given < bytes.size()) {
        given = std::min(bytes.size(), given + 1 + static_cast<unsigned char>(bytes[given]) % 64);
        result = reader.Read(bytes.substr(0, given), head, length);
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    HttpHead head, again;
    size_t length = 0, againLength = 0;
    const HeadParse result = ParseHttpHead(bytes, head, length);
    HttpHead pieced;
    size_t piecedLength = 0;
    Check(ReadInPieces(bytes, pieced, piecedLength) == result);
    Check(result != HeadParse::Complete ||
          (piecedLength == length && pieced.target == head.target &&
           pieced.headers.size() == head.headers.size()));
    Check(result != HeadParse::Incomplete || size < kMaxHeadBytes);
    if (result != HeadParse::Complete) {
        CheckMappedPath(std::string(bytes.substr(0, 4096)));
        return 0;
    }
    Check(length <= size);
    Check(length <= kMaxHeadBytes);
    Check(head.path.size() <= head.target.size());
    Check(ParseHttpHead(bytes.substr(0, length), again, againLength) == HeadParse::Complete);
    Check(againLength == length);
    const RequestFraming framing = DecideFraming(head, 1 << 20);
    if (framing.refusal) {
        Check(!framing.keepAlive);
        Check(framing.contentLength == 0);
    } else {
        Check(framing.contentLength <= (1 << 20));
    }
    CheckMappedPath(head.path);
    return 0;
}
