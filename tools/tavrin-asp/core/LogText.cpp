// The access log's escaping (see LogText.h). Well-formed UTF-8 is decoded
// only to find C1 controls; everything else is judged a byte at a time.
#include "core/LogText.h"

#include <cstdint>

namespace {

void AppendEscape(std::string& out, const char* prefix, unsigned value, int digits)
{
    static const char kHex[] = "0123456789abcdef";
    out += prefix;
    for (int shift = (digits - 1) * 4; shift >= 0; shift -= 4)
        out += kHex[(value >> shift) & 0xF];
}

bool IsContinuation(unsigned char c)
{
    return (c & 0xC0) == 0x80;
}

// The length of the well-formed UTF-8 sequence of two or more bytes at the
// start of text (overlong forms, surrogates and values past U+10FFFF are not
// well-formed), or 0; code is its value.
size_t MultiByteLength(std::string_view text, uint32_t& code)
{
    const auto lead = static_cast<unsigned char>(text[0]);
    size_t length = 0;
    uint32_t low = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        low = 0x80;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = 0x800;
        code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = 0x10000;
        code = lead & 0x07;
    } else {
        return 0;
    }
    if (text.size() < length)
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (!IsContinuation(c))
            return 0;
        code = (code << 6) | (c & 0x3F);
    }
    if (code < low || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    return length;
}

} // namespace

std::string EscapeForLog(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    while (!text.empty()) {
        const auto c = static_cast<unsigned char>(text[0]);
        if (c < 0x20 || c == 0x7F) {
            AppendEscape(out, "\\x", c, 2);
            text.remove_prefix(1);
            continue;
        }
        if (c < 0x80) {
            out += text[0];
            text.remove_prefix(1);
            continue;
        }
        uint32_t code = 0;
        const size_t length = MultiByteLength(text, code);
        if (length == 0)
            AppendEscape(out, "\\x", c, 2);
        else if (code <= 0x9F)
            AppendEscape(out, "\\u", code, 4);
        else
            out.append(text.substr(0, length));
        text.remove_prefix(length == 0 ? 1 : length);
    }
    return out;
}
