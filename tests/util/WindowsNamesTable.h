// The names of the WindowsNames tests, with what the shared rule makes of
// each, shared by the neutral table test and the one that asks the
// platform.
#pragma once

#include "util/WindowsNames.h"

#include <string>

struct NameRow
{
    std::string utf8;
    NameHazard hazard;
};

// The platform test asks about each name; so that a device the rule
// misses would show, the table holds near misses as well as devices.
inline const NameRow kNameRows[] = {
    {"report.txt", NameHazard::None},
    {"\xE4\xB8\xAD\xE6\x96\x87.txt", NameHazard::None},
    {".profile", NameHazard::None},
    {"...x", NameHazard::None},
    {"CONSOLE.txt", NameHazard::None},
    {"CONIN", NameHazard::None},
    {"CONOUT", NameHazard::None},
    {"xCON", NameHazard::None},
    {"CON1", NameHazard::None},
    {"NULL", NameHazard::None},
    {"COM", NameHazard::None},
    {"LPT", NameHazard::None},
    {"COM10", NameHazard::None},
    {"LPT10.txt", NameHazard::None},
    {"COMx", NameHazard::None},
    {"COM\xE2\x81\xB4", NameHazard::None},
    {"COM1x.txt", NameHazard::None},
    {"CLOCK$", NameHazard::None},
    {"CON", NameHazard::DeviceName},
    {"con", NameHazard::DeviceName},
    {"Con .txt", NameHazard::DeviceName},
    {"CON   ", NameHazard::TrailingDotOrSpace},
    {"nul.tar.gz", NameHazard::DeviceName},
    {"PRN", NameHazard::DeviceName},
    {"aux.c", NameHazard::DeviceName},
    {"NUL", NameHazard::DeviceName},
    {"COM0", NameHazard::DeviceName},
    {"COM1", NameHazard::DeviceName},
    {"com9.log", NameHazard::DeviceName},
    {"LPT0", NameHazard::DeviceName},
    {"lpt1", NameHazard::DeviceName},
    {"LPT9.log", NameHazard::DeviceName},
    {"COM\xC2\xB9", NameHazard::DeviceName},
    {"com\xC2\xB2.txt", NameHazard::DeviceName},
    {"LPT\xC2\xB3", NameHazard::DeviceName},
    {"CONIN$", NameHazard::DeviceName},
    {"conout$.txt", NameHazard::DeviceName},
    {"shell.asp.", NameHazard::TrailingDotOrSpace},
    {"shell.asp ", NameHazard::TrailingDotOrSpace},
    {"NUL.", NameHazard::TrailingDotOrSpace},
    {"..", NameHazard::TrailingDotOrSpace},
    {"a:b", NameHazard::Colon},
    {"file.txt::$DATA", NameHazard::Colon},
    {"..\\evil.txt", NameHazard::Separator},
    {"a/b", NameHazard::Separator},
    {"two\nlines", NameHazard::ControlCharacter},
    {std::string("nul\0byte", 8), NameHazard::ControlCharacter},
    {"what?.txt", NameHazard::ReservedCharacter},
    {"star*.txt", NameHazard::ReservedCharacter},
    {"<tag>", NameHazard::ReservedCharacter},
    {"say \"hi\"", NameHazard::ReservedCharacter},
    {"pipe|", NameHazard::ReservedCharacter},
    {"", NameHazard::None},
};

// The tests' own conversion, for the two- and three-byte forms the table
// uses.
inline std::u16string Utf16FromUtf8(const std::string& utf8)
{
    std::u16string wide;
    for (size_t i = 0; i < utf8.size();) {
        const auto lead = static_cast<unsigned char>(utf8[i]);
        const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : 3;
        char16_t unit = length == 1 ? lead : length == 2 ? (lead & 0x1F) : (lead & 0x0F);
        for (size_t k = 1; k < length; ++k)
            unit = static_cast<char16_t>((unit << 6) | (utf8[i + k] & 0x3F));
        wide += unit;
        i += length;
    }
    return wide;
}
