// IsRefusedSaveTarget: see SaveTarget.h.
#include "uploadfile/SaveTarget.h"

namespace {

bool IsAsciiLetter(WCHAR c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

WCHAR AsciiUpper(WCHAR c)
{
    return (c >= 'a' && c <= 'z') ? static_cast<WCHAR>(c - 'a' + 'A') : c;
}

// Windows also reads the superscript digits one, two and three as port
// numbers.
bool IsPortDigit(WCHAR c)
{
    return (c >= '1' && c <= '9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

bool StartsWithWord(const WCHAR* name, const char* word)
{
    for (; *word; ++name, ++word) {
        if (AsciiUpper(*name) != static_cast<WCHAR>(*word))
            return false;
    }
    return true;
}

// The device is named by the part before the first dot, with trailing
// spaces ignored: "nul.jpg" and "CON .txt" both open a device.
bool IsReservedDeviceName(const WCHAR* name, size_t length)
{
    size_t stem = 0;
    while (stem < length && name[stem] != '.')
        ++stem;
    while (stem > 0 && name[stem - 1] == ' ')
        --stem;
    if (stem == 3) {
        return StartsWithWord(name, "CON") || StartsWithWord(name, "PRN") ||
               StartsWithWord(name, "AUX") || StartsWithWord(name, "NUL");
    }
    if (stem == 4)
        return (StartsWithWord(name, "COM") || StartsWithWord(name, "LPT")) && IsPortDigit(name[3]);
    return false;
}

} // namespace

bool IsRefusedSaveTarget(const WCHAR* path, size_t length) noexcept
{
    if (!path)
        return false;
    size_t start = (length >= 2 && path[1] == ':' && IsAsciiLetter(path[0])) ? 2 : 0;
    for (size_t i = start; i < length; ++i) {
        if (path[i] == '\\' || path[i] == '/')
            start = i + 1;
    }
    const WCHAR* name = path + start;
    const size_t nameLength = length - start;
    if (nameLength == 0)
        return false;
    if (name[nameLength - 1] == '.' || name[nameLength - 1] == ' ')
        return true;
    for (size_t i = 0; i < nameLength; ++i) {
        if (name[i] == ':')
            return true;
    }
    return IsReservedDeviceName(name, nameLength);
}
