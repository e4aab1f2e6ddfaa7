// File-name checks for extract. The component's FileName already drops the
// client's directories, so separators should never reach these checks; they
// are refused here anyway, because this is the last place before a file is
// created from a name that arrived over the network.
#include "SafeFileName.h"

namespace {

constexpr size_t kMaxFileNameUnits = 255;

char16_t AsciiUpper(char16_t c)
{
    return (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

bool EqualsIgnoringAsciiCase(std::u16string_view text, std::u16string_view upper)
{
    if (text.size() != upper.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (AsciiUpper(text[i]) != upper[i])
            return false;
    }
    return true;
}

bool IsPortDigit(char16_t c)
{
    // U+00B9, U+00B2, U+00B3: Windows reserves COM¹ and the like as well.
    return (c >= u'1' && c <= u'9') || c == 0x00B9 || c == 0x00B2 || c == 0x00B3;
}

bool IsForbiddenCharacter(char16_t c)
{
    switch (c) {
    case u'<':
    case u'>':
    case u'"':
    case u'|':
    case u'?':
    case u'*':
        return true;
    default:
        return false;
    }
}

} // namespace

bool IsReservedDeviceName(std::u16string_view name)
{
    std::u16string_view stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ')
        stem.remove_suffix(1);
    static const std::u16string_view kPlain[] = {u"CON", u"PRN",    u"AUX",
                                                 u"NUL", u"CONIN$", u"CONOUT$"};
    for (std::u16string_view device : kPlain) {
        if (EqualsIgnoringAsciiCase(stem, device))
            return true;
    }
    if (stem.size() != 4 || !IsPortDigit(stem[3]))
        return false;
    return EqualsIgnoringAsciiCase(stem.substr(0, 3), u"COM") ||
           EqualsIgnoringAsciiCase(stem.substr(0, 3), u"LPT");
}

const char* UnsafeFileNameReason(std::u16string_view name)
{
    if (name.empty())
        return "the file name is empty";
    if (name == u"." || name == u"..")
        return "the name refers to a directory, not a file";
    if (name.size() > kMaxFileNameUnits)
        return "the file name is longer than 255 characters";
    for (char16_t c : name) {
        if (c == u'\\' || c == u'/')
            return "the file name holds a path separator";
        if (c == u':')
            return "the file name holds ':', which names a drive or an alternate data stream";
        if (c < 0x20)
            return "the file name holds a control character";
        if (IsForbiddenCharacter(c))
            return "the file name holds a character that Windows does not allow";
    }
    if (name.back() == u'.' || name.back() == u' ')
        return "the file name ends in a dot or a space, which Windows drops";
    if (IsReservedDeviceName(name))
        return "the file name is a Windows device name";
    return nullptr;
}
