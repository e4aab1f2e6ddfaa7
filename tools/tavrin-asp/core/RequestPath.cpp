// Maps a request path to a relative file path and names static content
// types. The path is split on the '/' that the client wrote, each segment is
// percent-decoded once, and only the decoded segments are judged, so that an
// escape spelled with escapes ("%2e%2e", "..%2f", "%5c") is seen as what the
// file system would see. Every name the Windows file system would read as
// something other than a plain file name below the folder is refused.
#include "core/RequestPath.h"

#include "core/UrlCoding.h"

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

// Bytes no segment may hold: separators (a decoded '/' would make a new
// segment, '\\' is one to Windows), ':' (drive letters, alternate data
// streams), the wildcard and other characters Windows refuses in names,
// and every control byte including NUL.
bool IsForbiddenByte(char c)
{
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F)
        return true;
    return std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text)
{
    size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead < 0x80) {
            length = 1;
        } else if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else {
            return false;
        }
        if (text.size() - i < length)
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto u = static_cast<unsigned char>(text[i + k]);
            const unsigned char min = k == 1 ? low : 0x80;
            const unsigned char max = k == 1 ? high : 0xBF;
            if (u < min || u > max)
                return false;
        }
        i += length;
    }
    return true;
}

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (also with the superscript digits
// Windows accepts there), CONIN$ and CONOUT$: Windows opens the device
// whatever extension follows and whatever blanks precede the extension.
bool IsDeviceName(std::string_view segment)
{
    std::string_view base = segment.substr(0, segment.find('.'));
    while (!base.empty() && base.back() == ' ')
        base.remove_suffix(1);
    const std::string lower = AsciiLower(base);
    static const char* const kNames[] = {"con", "prn", "aux", "nul", "conin$", "conout$"};
    for (const char* name : kNames) {
        if (lower == name)
            return true;
    }
    if (lower.size() < 4 || (lower.compare(0, 3, "com") != 0 && lower.compare(0, 3, "lpt") != 0))
        return false;
    const std::string_view digit = std::string_view(lower).substr(3);
    if (digit.size() == 1)
        return digit[0] >= '0' && digit[0] <= '9';
    return digit == "\xC2\xB9" || digit == "\xC2\xB2" || digit == "\xC2\xB3";
}

// A decoded segment that names a plain file or folder below its parent.
// "." and ".." end in a dot and are refused with every name Windows would
// silently shorten by removing trailing dots and spaces.
bool IsSafeSegment(std::string_view segment)
{
    if (segment.empty())
        return false;
    if (std::any_of(segment.begin(), segment.end(), IsForbiddenByte))
        return false;
    if (segment.back() == '.' || segment.back() == ' ')
        return false;
    return !IsDeviceName(segment);
}

} // namespace

// Empty segments ("//", or "/a//b") are refused: Windows would merge them,
// so the same file would have more than one name. A single trailing '/' is
// kept.
bool MapRequestPath(std::string_view encodedPath, std::string& relative)
{
    relative.clear();
    if (encodedPath.empty() || encodedPath.front() != '/')
        return false;
    std::string_view rest = encodedPath.substr(1);
    std::string mapped;
    while (!rest.empty()) {
        const size_t slash = rest.find('/');
        const std::string segment = UrlDecode(rest.substr(0, slash), false);
        if (!IsSafeSegment(segment) || !IsValidUtf8(segment))
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

// The types carry no charset parameter: static files are sent as they are
// stored, and the browser is left to sniff or use the page's own meta tag.
std::string ContentTypeFor(std::string_view fileName)
{
    const size_t slash = fileName.find_last_of("/\\");
    const std::string_view name =
        slash == std::string_view::npos ? fileName : fileName.substr(slash + 1);
    const size_t dot = name.rfind('.');
    if (dot == std::string_view::npos)
        return "application/octet-stream";
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
    return "application/octet-stream";
}
