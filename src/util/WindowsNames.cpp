// FindNameHazard and IsDeviceName: see WindowsNames.h. Both spellings (UTF-16
// and UTF-8) run the same templates; a name is judged by its code points,
// and the only non-ASCII code points that matter are the three superscript
// digits, so UTF-8 needs no more decoding than two-byte sequences.
#include "util/WindowsNames.h"

#include <cstddef>

namespace {

constexpr char32_t kNotJudged = 0xFFFFFFFF;

// Reads one code point at text[i] and advances i. UTF-16 surrogates and
// UTF-8 sequences longer than two bytes come back as kNotJudged: no rule
// names them.
char32_t NextCodePoint(std::u16string_view text, size_t& i)
{
    return text[i++];
}

char32_t NextCodePoint(std::string_view text, size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80)
        return lead;
    if (lead >= 0xC2 && lead <= 0xDF && i < text.size()) {
        const auto next = static_cast<unsigned char>(text[i]);
        if ((next & 0xC0) == 0x80) {
            ++i;
            return static_cast<char32_t>(((lead & 0x1F) << 6) | (next & 0x3F));
        }
    }
    while (i < text.size() && (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
        ++i;
    return kNotJudged;
}

char32_t AsciiUpper(char32_t c)
{
    return (c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c;
}

bool IsPortDigit(char32_t c)
{
    return (c >= '0' && c <= '9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

NameHazard CharacterHazard(char32_t c)
{
    if (c < 0x20)
        return NameHazard::ControlCharacter;
    switch (c) {
    case '/':
    case '\\':
        return NameHazard::Separator;
    case ':':
        return NameHazard::Colon;
    case '<':
    case '>':
    case '"':
    case '|':
    case '?':
    case '*':
        return NameHazard::ReservedCharacter;
    default:
        return NameHazard::None;
    }
}

// The longest device name, CONOUT$, has seven code points.
constexpr size_t kLongestDevice = 7;

bool IsDeviceStem(const char32_t* stem, size_t length)
{
    static const std::u32string_view kPlain[] = {U"CON", U"PRN",    U"AUX",
                                                 U"NUL", U"CONIN$", U"CONOUT$"};
    const std::u32string_view text(stem, length);
    for (std::u32string_view device : kPlain) {
        if (text == device)
            return true;
    }
    if (length != 4 || !IsPortDigit(stem[3]))
        return false;
    return text.substr(0, 3) == U"COM" || text.substr(0, 3) == U"LPT";
}

template <typename View> bool IsDeviceNameOf(View name)
{
    // The device is named by the part before the first dot, with trailing
    // spaces ignored: "nul.jpg" and "CON .txt" both open a device.
    View stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ')
        stem.remove_suffix(1);
    char32_t upper[kLongestDevice];
    size_t length = 0;
    size_t i = 0;
    while (i < stem.size()) {
        if (length == kLongestDevice)
            return false;
        upper[length++] = AsciiUpper(NextCodePoint(stem, i));
    }
    return IsDeviceStem(upper, length);
}

template <typename View> NameHazard FindNameHazardOf(View name)
{
    if (name.empty())
        return NameHazard::None;
    size_t i = 0;
    while (i < name.size()) {
        const NameHazard hazard = CharacterHazard(NextCodePoint(name, i));
        if (hazard != NameHazard::None)
            return hazard;
    }
    if (name.back() == '.' || name.back() == ' ')
        return NameHazard::TrailingDotOrSpace;
    if (IsDeviceNameOf(name))
        return NameHazard::DeviceName;
    return NameHazard::None;
}

} // namespace

NameHazard FindNameHazard(std::u16string_view name) noexcept
{
    return FindNameHazardOf(name);
}

NameHazard FindNameHazard(std::string_view utf8Name) noexcept
{
    return FindNameHazardOf(utf8Name);
}

bool IsDeviceName(std::u16string_view name) noexcept
{
    return IsDeviceNameOf(name);
}

bool IsDeviceName(std::string_view utf8Name) noexcept
{
    return IsDeviceNameOf(utf8Name);
}
