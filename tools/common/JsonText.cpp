// UTF-16 to UTF-8 conversion and JSON string escaping for the tool's output.
// The escaping follows the common JSON writers byte for byte (short escapes
// for \b \f \n \r \t, lower-case \u00xx for the other control characters,
// lower-case \udxxx for an unpaired surrogate), so that output can be
// compared with documents written by other programs.
#include "common/JsonText.h"

#include "common/Utf8Sequence.h"

#include <cstdint>

namespace {

bool IsHighSurrogate(char16_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool IsLowSurrogate(char16_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

void AppendCodePoint(std::string& out, uint32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void AppendUnitEscape(std::string& out, char16_t unit)
{
    static const char kHex[] = "0123456789abcdef";
    out += "\\u";
    for (int shift = 12; shift >= 0; shift -= 4)
        out += kHex[(unit >> shift) & 0xF];
}

// Calls visit(codePoint, isUnpaired) for each character of text; an unpaired
// surrogate is passed on as its own unit with isUnpaired set.
template <class Visit> void ForEachCharacter(std::u16string_view text, Visit visit)
{
    for (size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        if (IsHighSurrogate(unit) && i + 1 < text.size() && IsLowSurrogate(text[i + 1])) {
            const uint32_t cp =
                0x10000 + ((uint32_t(unit) - 0xD800) << 10) + (uint32_t(text[i + 1]) - 0xDC00);
            visit(cp, false);
            ++i;
        } else {
            visit(unit, IsHighSurrogate(unit) || IsLowSurrogate(unit));
        }
    }
}

} // namespace

void AppendJsonBytes(std::string& out, std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    size_t i = 0;
    while (i < bytes.size()) {
        const size_t length = Utf8SequenceAt(bytes, i);
        if (length == 0) {
            text += static_cast<char16_t>(0xDC00 + static_cast<unsigned char>(bytes[i]));
            ++i;
            continue;
        }
        uint32_t cp = static_cast<unsigned char>(bytes[i]);
        if (length > 1)
            cp &= 0x7F >> length;
        for (size_t k = 1; k < length; ++k)
            cp = (cp << 6) | (static_cast<unsigned char>(bytes[i + k]) & 0x3F);
        if (cp >= 0x10000) {
            text += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
            text += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            text += static_cast<char16_t>(cp);
        }
        i += length;
    }
    AppendJsonString(out, text);
}

void AppendJsonString(std::string& out, std::u16string_view text)
{
    out += '"';
    ForEachCharacter(text, [&out](uint32_t cp, bool unpaired) {
        if (unpaired) {
            AppendUnitEscape(out, static_cast<char16_t>(cp));
            return;
        }
        switch (cp) {
        case '"':
            out += "\\\"";
            return;
        case '\\':
            out += "\\\\";
            return;
        case '\b':
            out += "\\b";
            return;
        case '\f':
            out += "\\f";
            return;
        case '\n':
            out += "\\n";
            return;
        case '\r':
            out += "\\r";
            return;
        case '\t':
            out += "\\t";
            return;
        default:
            break;
        }
        if (cp < 0x20)
            AppendUnitEscape(out, static_cast<char16_t>(cp));
        else
            AppendCodePoint(out, cp);
    });
    out += '"';
}

void AppendUtf8(std::string& out, std::u16string_view text)
{
    ForEachCharacter(
        text, [&out](uint32_t cp, bool unpaired) { AppendCodePoint(out, unpaired ? 0xFFFD : cp); });
}
