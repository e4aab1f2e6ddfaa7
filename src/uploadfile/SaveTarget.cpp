// IsRefusedSaveTarget: see SaveTarget.h. The names themselves are judged by
// the shared rule in util/WindowsNames.h; this file only finds the last
// component of a path.
#include "uploadfile/SaveTarget.h"

#include "util/WindowsNames.h"

#include <string_view>

namespace {

bool IsAsciiLetter(WCHAR c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
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
    const std::basic_string_view<WCHAR> name(path + start, length - start);
    return FindNameHazard(name) != NameHazard::None;
}
