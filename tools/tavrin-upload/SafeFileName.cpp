// File-name checks for extract. The component's FileName already drops the
// client's directories, so separators should never reach these checks; they
// are refused here anyway, because this is the last place before a file is
// created from a name that arrived over the network. What Windows would
// read differently is the shared rule of util/WindowsNames.h; this adds
// what a file created inside one directory needs besides.
#include "SafeFileName.h"

#include "util/WindowsNames.h"

namespace {

constexpr size_t kMaxFileNameUnits = 255;

const char* HazardReason(NameHazard hazard)
{
    switch (hazard) {
    case NameHazard::None:
        return nullptr;
    case NameHazard::Separator:
        return "the file name holds a path separator";
    case NameHazard::ControlCharacter:
        return "the file name holds a control character";
    case NameHazard::ReservedCharacter:
        return "the file name holds a character that Windows does not allow";
    case NameHazard::Colon:
        return "the file name holds ':', which names a drive or an alternate data stream";
    case NameHazard::TrailingDotOrSpace:
        return "the file name ends in a dot or a space, which Windows drops";
    case NameHazard::DeviceName:
        return "the file name is a Windows device name";
    }
    return "the file name is not one Windows keeps as it is";
}

} // namespace

const char* UnsafeFileNameReason(std::u16string_view name)
{
    if (name.empty())
        return "the file name is empty";
    if (name == u"." || name == u"..")
        return "the name refers to a directory, not a file";
    if (name.size() > kMaxFileNameUnits)
        return "the file name is longer than 255 characters";
    return HazardReason(FindNameHazard(name));
}
