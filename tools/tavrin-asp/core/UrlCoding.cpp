// Percent-decoding and encoding, form and cookie parsing and HTML encoding.
// Everything here works on bytes (or UTF-16 units for HtmlEncode) and never
// fails: malformed escapes are kept as literal text, as browsers and IIS
// keep them.
#include "core/UrlCoding.h"

#include <cstdint>

namespace {

int HexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsAsciiAlnum(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

std::string_view TrimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Calls onPart for each non-empty piece of text between separators, until
// it returns false.
template <typename OnPart> void ForEachPart(std::string_view text, char separator, OnPart onPart)
{
    while (!text.empty()) {
        const size_t end = text.find(separator);
        const std::string_view part = text.substr(0, end);
        if (!part.empty() && !onPart(part))
            return;
        if (end == std::string_view::npos)
            break;
        text.remove_prefix(end + 1);
    }
}

// The entity of a character that HTML reads as markup, or "" for any other.
std::string_view MarkupEntity(unsigned c)
{
    switch (c) {
    case '<':
        return "&lt;";
    case '>':
        return "&gt;";
    case '&':
        return "&amp;";
    case '"':
        return "&quot;";
    default:
        return {};
    }
}

} // namespace

std::string UrlDecode(std::string_view text, bool plusIsSpace)
{
    std::string decoded;
    decoded.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '+' && plusIsSpace) {
            decoded += ' ';
            continue;
        }
        const int high = (c == '%' && i + 2 < text.size()) ? HexValue(text[i + 1]) : -1;
        const int low = high >= 0 ? HexValue(text[i + 2]) : -1;
        if (low < 0) {
            decoded += c;
            continue;
        }
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
    }
    return decoded;
}

std::string UrlEncode(std::string_view bytes)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string encoded;
    encoded.reserve(bytes.size());
    for (char c : bytes) {
        if (IsAsciiAlnum(c)) {
            encoded += c;
        } else if (c == ' ') {
            encoded += '+';
        } else {
            const auto u = static_cast<unsigned char>(c);
            encoded += '%';
            encoded += kHex[u >> 4];
            encoded += kHex[u & 0x0F];
        }
    }
    return encoded;
}

std::wstring HtmlEncode(std::wstring_view text)
{
    std::wstring encoded;
    encoded.reserve(text.size());
    for (wchar_t c : text) {
        const std::string_view entity = MarkupEntity(c);
        if (!entity.empty())
            encoded.append(entity.begin(), entity.end());
        else if (c >= 0xA0 && c <= 0xFF)
            encoded += L"&#" + std::to_wstring(static_cast<unsigned>(c)) + L";";
        else
            encoded += c;
    }
    return encoded;
}

std::string HtmlEncodeBytes(std::string_view bytes)
{
    std::string encoded;
    encoded.reserve(bytes.size());
    for (char c : bytes) {
        const std::string_view entity = MarkupEntity(static_cast<unsigned char>(c));
        if (!entity.empty())
            encoded += entity;
        else
            encoded += c;
    }
    return encoded;
}

// Names and values are both decoded with '+' as a space. A segment that is
// only "=" yields an empty name, which the host's collections may ignore.
bool ForEachUrlEncodedPair(std::string_view text, size_t limit,
                           const std::function<void(std::string, std::string)>& take)
{
    size_t count = 0;
    bool withinLimit = true;
    ForEachPart(text, '&', [&](std::string_view part) {
        if (count == limit) {
            withinLimit = false;
            return false;
        }
        ++count;
        const size_t equals = part.find('=');
        const std::string_view name = part.substr(0, equals);
        const std::string_view value =
            equals == std::string_view::npos ? std::string_view() : part.substr(equals + 1);
        take(UrlDecode(name, true), UrlDecode(value, true));
        return true;
    });
    return withinLimit;
}

NameValueList ParseUrlEncoded(std::string_view text)
{
    NameValueList pairs;
    ForEachUrlEncodedPair(text, SIZE_MAX, [&pairs](std::string name, std::string value) {
        pairs.emplace_back(std::move(name), std::move(value));
    });
    return pairs;
}

// Names are kept as sent (blanks around them removed); values are decoded
// with '+' as a space, the form in which Response.Cookies writes them.
// Pieces that are empty or only blanks are skipped.
NameValueList ParseCookieHeader(std::string_view header)
{
    NameValueList pairs;
    ForEachPart(header, ';', [&pairs](std::string_view part) {
        part = TrimSpaces(part);
        if (part.empty())
            return true;
        const size_t equals = part.find('=');
        const std::string_view name = TrimSpaces(part.substr(0, equals));
        const std::string_view value = equals == std::string_view::npos
                                           ? std::string_view()
                                           : TrimSpaces(part.substr(equals + 1));
        pairs.emplace_back(std::string(name), UrlDecode(value, true));
        return true;
    });
    return pairs;
}
