// The shared rule for names that Windows would not keep as they are: one
// table, judged in both spellings (UTF-8 and UTF-16), and on Windows checked
// against what the platform's own path functions call a device.
#include "util/WindowsNames.h"

#include "WindowsNamesTable.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* HazardName(NameHazard hazard)
{
    switch (hazard) {
    case NameHazard::None:
        return "None";
    case NameHazard::Separator:
        return "Separator";
    case NameHazard::ControlCharacter:
        return "ControlCharacter";
    case NameHazard::ReservedCharacter:
        return "ReservedCharacter";
    case NameHazard::Colon:
        return "Colon";
    case NameHazard::TrailingDotOrSpace:
        return "TrailingDotOrSpace";
    case NameHazard::DeviceName:
        return "DeviceName";
    }
    return "?";
}

TEST(WindowsNames, JudgesEachNameTheSameInBothSpellings)
{
    for (const NameRow& row : kNameRows) {
        SCOPED_TRACE(row.utf8);
        const std::u16string wide = Utf16FromUtf8(row.utf8);
        EXPECT_STREQ(HazardName(row.hazard), HazardName(FindNameHazard(row.utf8)))
            << "UTF-8 spelling";
        EXPECT_STREQ(HazardName(row.hazard), HazardName(FindNameHazard(wide))) << "UTF-16 spelling";
    }
}

TEST(WindowsNames, UnpairedSurrogateOrBadUtf8IsNoDevice)
{
    const std::u16string loneSurrogate = {u'C', u'O', u'M', 0xD800};
    EXPECT_FALSE(IsDeviceName(loneSurrogate)) << "COM followed by a lone surrogate";
    EXPECT_FALSE(IsDeviceName(std::string_view("COM\xC2")))
        << "COM followed by a cut two-byte sequence";
    EXPECT_FALSE(IsDeviceName(std::string_view("COM\xE2\x81\xB9")))
        << "COM followed by superscript nine (U+2079), which no port uses";
    EXPECT_STREQ("None", HazardName(FindNameHazard(std::string_view("\xFF\xFE.txt"))))
        << "bytes that are not UTF-8 fall under no rule here";
}

} // namespace
