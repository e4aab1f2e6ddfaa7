// Maps a request path to a relative file path and names static content
// types. The path is split on the '/' that the client wrote, each segment is
// percent-decoded once, and only the decoded segments are judged, so that an
// escape spelled with escapes ("%2e%2e", "..%2f", "%5c") is seen as what the
// file system would see. Every name the Windows file system would read as
// something other than a plain file name below the folder is refused.
#include "core/RequestPath.h"

#include "common/Utf8Sequence.h"
#include "core/UrlCoding.h"
#include "util/WindowsNames.h"

#include <algorithm>

namespace {

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string AsciiLower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) { return AsciiLower(c); });
    return lower;
}

// A decoded segment that names a plain file or folder below its parent:
// strict UTF-8, not empty, no DEL (a control character to the host, though
// Windows would keep it), and no hazard of the shared name rule. "." and
// ".." end in a dot and are refused with every name Windows would silently
// shorten by removing trailing dots and spaces; a decoded '/' or '\\' is a
// separator and refused, since it would make new segments.
bool IsSafeSegment(std::string_view segment)
{
    if (segment.empty())
        return false;
    if (!IsWellFormedUtf8(segment))
        return false;
    if (segment.find('\x7F') != std::string_view::npos)
        return false;
    return FindNameHazard(segment) == NameHazard::None;
}

// Empty segments ("//", or "/a//b") are refused: Windows would merge them,
// so the same file would have more than one name. A single trailing '/' is
// kept. decode says whether each segment is percent-decoded before it is
// judged.
bool MapPath(std::string_view path, bool decode, std::string& relative)
{
    relative.clear();
    if (path.empty() || path.front() != '/')
        return false;
    std::string_view rest = path.substr(1);
    std::string mapped;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string_view written = rest.substr(0, slash);
        const std::string segment = decode ? UrlDecode(written, false) : std::string(written);
        if (!IsSafeSegment(segment))
            return false;
        mapped += segment;
        if (slash == std::string_view::npos)
            break;
        mapped += '/';
        rest.remove_prefix(slash + 1);
    }
    relative = std::move(mapped);
    return true;
}

} // namespace

bool MapRequestPath(std::string_view encodedPath, std::string& relative)
{
    return MapPath(encodedPath, true, relative);
}

bool MapVirtualPath(std::string_view virtualPath, std::string& relative)
{
    return MapPath(virtualPath, false, relative);
}

bool HasHiddenSegment(std::string_view relative)
{
    for (size_t start = 0; start < relative.size();) {
        if (relative[start] == '.')
            return true;
        const size_t slash = relative.find('/', start);
        if (slash == std::string_view::npos)
            break;
        start = slash + 1;
    }
    return false;
}

// Only the listed types are served. The types carry no charset parameter:
// static files are sent as they are stored, and the browser is left to sniff
// or use the page's own meta tag.
std::string ContentTypeFor(std::string_view fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return std::string();
    const std::string extension = AsciiLower(name.substr(dot + 1));
    static const struct
    {
        const char* extension;
        const char* type;
    } kTypes[] = {
        {"html", "text/html"},        {"htm", "text/html"},       {"txt", "text/plain"},
        {"css", "text/css"},          {"js", "text/javascript"},  {"mjs", "text/javascript"},
        {"json", "application/json"}, {"xml", "application/xml"}, {"svg", "image/svg+xml"},
        {"png", "image/png"},         {"jpg", "image/jpeg"},      {"jpeg", "image/jpeg"},
        {"gif", "image/gif"},         {"ico", "image/x-icon"},    {"webp", "image/webp"},
        {"pdf", "application/pdf"},   {"zip", "application/zip"}, {"wasm", "application/wasm"},
        {"mp4", "video/mp4"},         {"woff", "font/woff"},      {"woff2", "font/woff2"},
    };
    for (const auto& entry : kTypes) {
        if (extension == entry.extension)
            return entry.type;
    }
    return std::string();
}
